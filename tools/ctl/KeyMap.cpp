// vivori-ctl keymap: read and print the key map, three bytes per key slot.
#include <cstdio>

#include "DeviceAccess.h"
#include "JsonOut.h"

namespace vivori::ctl {
namespace {

int RunKeyMap(const Options& options) {
    DeviceSession session;
    uint8_t info[kInfoSize] = {};
    if (int failed = OpenAndReadInfo(options, session, info)) return failed;
    CommandTransport& t = *session.transport;
    const unsigned slots = info[kInfoKeySlots];
    if (!t.SetDataLength(slots * 3))
        return Fail("the device reports " + std::to_string(slots) +
                    " key slots, more than a key map of 512 bytes holds");
    uint8_t map[512] = {};
    if (int r = t.ReadKeyMap(map); r != CMD_OK) return CommandFailed("ReadKeyMap", r);
    if (int r = session.configuration->End(); r != CMD_OK) return CommandFailed("ConfigEnd", r);

    if (options.json) {
        Json::Value document(Json::objectValue);
        document["keySlots"] = slots;
        Json::Value& codes = document["slots"] = Json::Value(Json::arrayValue);
        for (unsigned slot = 0; slot < slots; ++slot) codes.append(BytesJson(map + slot * 3, 3));
        PrintJson(document);
        return 0;
    }
    std::printf("key map: %u key slots\n", slots);
    for (unsigned slot = 0; slot < slots; ++slot)
        std::printf("%3u: %02x %02x %02x\n", slot, map[slot * 3], map[slot * 3 + 1],
                    map[slot * 3 + 2]);
    return 0;
}

const Registrar registrar(
    {.name = "keymap",
     .usage = "keymap",
     .summary = "read and print the key map",
     .run = &RunKeyMap,
     .help = "  The --device's key map: one line per key slot with its three code bytes in\n"
             "  hexadecimal (with --json, each slot's three bytes as numbers).\n"
             "example:\n"
             "  vivori-ctl --simulate keyboard --link receiver keymap\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
