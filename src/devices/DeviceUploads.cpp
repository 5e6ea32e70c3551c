#include "devices/DeviceUploads.h"

#include "devices/ConfigSequence.h"
#include "macros/MacroLibrary.h"
#include "platform/Debug.h"

namespace vivori::devices {

int SendKeyTable(CommandTransport& transport, std::span<const uint8_t> keyMap, int slotCount,
                 const KeyTablePlan& plan, int block) {
    if (int r = DeviceReachable(transport); r != CMD_OK) return r;
    return RunInConfiguration(transport, [&] {
        std::array<uint8_t, kInfoSize> info{};
        if (int r = transport.ReadInfo(info.data()); r != CMD_OK) return r;
        const int slots = info[kInfoKeySlots];
        if (!transport.SetDataLength(uint32_t(slots) * 3)) return int(CMD_BAD_BLOCK);
        if (slots != slotCount || size_t(slots) * 3 > keyMap.size()) return int(CMD_BAD_BLOCK);
        std::vector<uint8_t> table(keyMap.begin(), keyMap.begin() + ptrdiff_t(slots * 3));
        ApplyKeyTablePlan(plan, table);
        return transport.WriteKeyMap(table.data(), block);
    });
}

macros::MacroUploadResult SendMacros(CommandTransport& transport,
                                     const std::filesystem::path& deviceFolder,
                                     const std::vector<macros::MacroEntry>& list,
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity) {
    macros::MacroUploadResult out;
    out.result = DeviceReachable(transport);
    out.linkDown = out.result == CMD_LINK_DOWN;
    if (out.result != CMD_OK) return out;
    const macros::MacroLibrary library(deviceFolder);
    std::vector<std::vector<MacroEvent>> events;
    for (int number : macroNumbers) {
        const bool listed = number >= 0 && size_t(number) < list.size();
        auto stored = listed ? library.EventsToSend(list[size_t(number)]) : std::nullopt;
        if (!stored) {
            // A macro whose file cannot be read is not sent as an empty one.
            out.unreadable = listed ? library.MacroPath(list[size_t(number)]).string()
                                    : "number " + std::to_string(number);
            DebugPrintf("macro not sent, its file cannot be read: %s\n", out.unreadable.c_str());
            out.result = CMD_BAD_BLOCK;
            return out;
        }
        events.push_back(std::move(*stored));
    }
    if (knownCapacity) {
        const MacroImage image = BuildMacroImage(events, *knownCapacity);
        if (!image.Fits()) {
            out.eventsTooMany = image.eventsTooMany;
            return out;
        }
    }
    return macros::UploadMacros(transport, events);
}

macros::MacroUploadResult SendMacros(CommandTransport& transport,
                                     const std::filesystem::path& deviceFolder,
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity) {
    return SendMacros(transport, deviceFolder, macros::MacroLibrary(deviceFolder).List(),
                      macroNumbers, knownCapacity);
}

int KeysAndMacrosResult::Result() const {
    if (!macroListProblem.empty()) return CMD_BAD_BLOCK;
    if (macros.result != CMD_OK) return macros.result;
    if (macros.eventsTooMany > 0) return CMD_BAD_BLOCK;
    return keyTable;
}

KeysAndMacrosResult SendKeysAndMacros(CommandTransport& transport,
                                      const std::filesystem::path& deviceFolder,
                                      const KeyTableTarget& target) {
    KeysAndMacrosResult out;
    const macros::MacroList list = macros::MacroLibrary(deviceFolder).ReadList();
    if (!list.known) {
        // Which macro a key plays is unknown: writing would give those keys their
        // defaults on the device, or another macro.
        out.macroListProblem = list.problem;
        out.macros.result = CMD_BAD_BLOCK;
        return out;
    }
    const KeyTablePlan plan =
        PlanKeyTable(target.keys, target.locations, target.slotCount, list.entries.size());
    out.usedMacros = plan.usedMacros;
    out.unplacedKeys = plan.unplacedKeys;
    if (plan.usedMacros.empty() && !target.sendEmptyImage) {
        out.macros.result = DeviceReachable(transport);
        out.macros.linkDown = out.macros.result == CMD_LINK_DOWN;
    } else {
        out.macros = SendMacros(transport, deviceFolder, list.entries, plan.usedMacros,
                                target.macroCapacity);
    }
    if (out.macros.result != CMD_OK || out.macros.eventsTooMany > 0) return out;
    out.keyTable = SendKeyTable(transport, target.keyMap, target.slotCount, plan, target.block);
    out.keyTableWritten = out.keyTable == CMD_OK;
    return out;
}

}  // namespace vivori::devices
