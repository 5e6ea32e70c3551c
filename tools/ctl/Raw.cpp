// vivori-ctl raw: one command frame, and the reply as the device sent it.
#include <cstdio>

#include "DeviceAccess.h"
#include "Text.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage = "raw COMMAND [LENGTH [OFFSET [HEX...]]]";

int RunRaw(const Options& options) {
    const auto& args = options.args;
    if (args.empty()) return Fail(std::string("usage: ") + kUsage), kExitUsage;
    auto command = ParseNumber(args[0], 0xFF);
    auto length = args.size() > 1 ? ParseNumber(args[1], kFramePayloadSize) : 0u;
    auto offset = args.size() > 2 ? ParseNumber(args[2], 0xFFFF) : 0u;
    auto payload =
        ParseHexBytes(args.size() > 3 ? std::vector<std::string>(args.begin() + 3, args.end())
                                      : std::vector<std::string>{});
    if (!command || !length || !offset || !payload || payload->size() > kFramePayloadSize)
        return Fail(std::string("usage: ") + kUsage), kExitUsage;

    std::string error;
    DeviceSession session = OpenDevice(options, &error);
    if (!session.transport) return Fail(error);
    CommandTransport& t = *session.transport;
    Frame reply{};
    const int result =
        t.Command(&t.CommandLock(), static_cast<uint8_t>(*command), static_cast<uint8_t>(*length),
                  static_cast<uint16_t>(*offset), *payload, reply.data());
    std::printf("reply:\n");
    PrintBytes(reply.data(), reply.size());
    if (result != CMD_OK) return CommandFailed("command", result);
    std::printf("result: %s\n", CommandResultName(result));
    return 0;
}

const Registrar registrar({.name = "raw",
                           .usage = kUsage,
                           .summary = "send one command frame and print the reply",
                           .run = &RunRaw,
                           .help = "  COMMAND   the command byte (decimal, or hex with 0x)\n"
                                   "  LENGTH    the length byte (default 0, at most 56)\n"
                                   "  OFFSET    the 16-bit offset (default 0)\n"
                                   "  HEX...    the data bytes\n"
                                   "example:\n"
                                   "  vivori-ctl --simulate pad --device pad raw 0x1a 6\n"});

}  // namespace
}  // namespace vivori::ctl
