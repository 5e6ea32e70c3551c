// vivori-ctl params read|write: the device's settings area.
#include <cstdio>
#include <vector>

#include "DeviceAccess.h"
#include "Text.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage = "params read OFFSET LENGTH | params write OFFSET HEX...";

int Read(CommandTransport& t, uint16_t offset, const std::vector<std::string>& args) {
    if (args.size() != 3) return Fail(std::string("usage: ") + kUsage), kExitUsage;
    auto length = ParseNumber(args[2], 0xFFFF);
    if (!length) return Fail("bad length " + args[2]), kExitUsage;
    std::vector<uint8_t> bytes(*length);
    Configuration configuration(t);
    if (int r = configuration.Begun(); r != CMD_OK) return CommandFailed("ConfigBegin", r);
    if (int r = t.ReadParams(bytes.data(), bytes.size(), offset); r != CMD_OK)
        return CommandFailed("ReadParams", r);
    if (int r = configuration.End(); r != CMD_OK) return CommandFailed("ConfigEnd", r);
    PrintBytes(bytes.data(), bytes.size(), offset);
    return 0;
}

int Write(CommandTransport& t, uint16_t offset, const std::vector<std::string>& args) {
    auto bytes = ParseHexBytes({args.begin() + 2, args.end()});
    if (!bytes || bytes->empty()) return Fail("params write needs hex bytes"), kExitUsage;
    Configuration configuration(t);
    if (int r = configuration.Begun(); r != CMD_OK) return CommandFailed("ConfigBegin", r);
    if (int r = t.WriteParams(bytes->data(), bytes->size(), offset); r != CMD_OK)
        return CommandFailed("WriteParams", r);
    if (int r = configuration.End(); r != CMD_OK) return CommandFailed("ConfigEnd", r);
    std::printf("wrote %zu bytes at offset %u\n", bytes->size(), offset);
    return 0;
}

int RunParams(const Options& options) {
    const auto& args = options.args;
    if (args.size() < 2 || (args[0] != "read" && args[0] != "write"))
        return Fail(std::string("usage: ") + kUsage), kExitUsage;
    auto offset = ParseNumber(args[1], 0xFFFF);
    if (!offset) return Fail("bad offset " + args[1]), kExitUsage;
    std::string error;
    DeviceSession session = OpenDevice(options, &error);
    if (!session.transport) return Fail(error);
    const auto at = static_cast<uint16_t>(*offset);
    return args[0] == "read" ? Read(*session.transport, at, args)
                             : Write(*session.transport, at, args);
}

const Registrar registrar(
    {.name = "params",
     .usage = kUsage,
     .summary = "read or write the settings area",
     .run = &RunParams,
     .help = "  read OFFSET LENGTH     LENGTH bytes from OFFSET (decimal, or hex with 0x),\n"
             "                         printed 16 to a line, each line led by its offset\n"
             "  write OFFSET HEX...    hex bytes (\"0a0b\" or \"0a 0b\") at OFFSET\n"
             "examples:\n"
             "  vivori-ctl --simulate keyboard params read 0 34\n"
             "  vivori-ctl --simulate keyboard params write 384 0a0b0c\n"});

}  // namespace
}  // namespace vivori::ctl
