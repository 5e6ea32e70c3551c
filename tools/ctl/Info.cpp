// vivori-ctl info: read and print the device information block.
#include <cstdio>

#include "DeviceAccess.h"
#include "JsonOut.h"
#include "Text.h"
#include "device/SupportedDevices.h"

namespace vivori::ctl {
namespace {

uint16_t Word(const uint8_t* b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

int RunInfo(const Options& options) {
    DeviceSession session;
    uint8_t info[kInfoSize] = {};
    if (int failed = OpenAndReadInfo(options, session, info)) return failed;
    if (int r = session.configuration->End(); r != CMD_OK) return CommandFailed("ConfigEnd", r);

    const bool mouse = session.kind == kKindMouse || session.kind == kKindMouseReceiver;
    if (options.json) {
        Json::Value document(Json::objectValue);
        document["device"] = KindName(session.kind);
        document["block"] = BytesJson(info, kInfoSize);
        document["keySlots"] = info[kInfoKeySlots];
        document["macroMemory"] = Json::UInt(info[kInfoMacroUnits] * kMacroUnitBytes);
        if (mouse) {
            document["sensor"] = Word(info, 9);
            document["dpiStep"] = info[11];
            document["highestPosition"] = Word(info, 12);
            document["dpiBase"] = Word(info, 14);
        }
        PrintJson(document);
        return 0;
    }
    std::printf("information block of the %s (%zu bytes):\n", KindName(session.kind), kInfoSize);
    PrintBytes(info, kInfoSize);
    std::printf("key slots:        %u\n", info[kInfoKeySlots]);
    std::printf("macro memory:     %zu bytes\n", info[kInfoMacroUnits] * kMacroUnitBytes);
    if (mouse) {
        std::printf("sensor:           0x%04x\n", Word(info, 9));
        std::printf("DPI step:         %u\n", info[11]);
        std::printf("highest position: %u\n", Word(info, 12));
        std::printf("DPI base:         %u\n", Word(info, 14));
    }
    return 0;
}

const Registrar registrar(
    {.name = "info",
     .usage = "info",
     .summary = "read and print the information block",
     .run = &RunInfo,
     .help = "  The --device's 34-byte information block (ConfigBegin, ReadInfo, ConfigEnd),\n"
             "  its key slots and macro memory, and a mouse's sensor code, DPI step, highest\n"
             "  slider position and DPI base.\n"
             "example:\n"
             "  vivori-ctl --simulate mouse --device mouse info\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
