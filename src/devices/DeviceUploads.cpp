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
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity) {
    macros::MacroUploadResult out;
    out.result = DeviceReachable(transport);
    out.linkDown = out.result == CMD_LINK_DOWN;
    if (out.result != CMD_OK) return out;
    const macros::MacroLibrary library(deviceFolder);
    std::vector<std::vector<MacroEvent>> events;
    for (int number : macroNumbers) {
        auto stored = library.EventsToSend(size_t(number));
        if (!stored) {
            // A macro whose file cannot be read is not sent as an empty one.
            out.unreadable = "number " + std::to_string(number);
            if (size_t(number) < library.List().size())
                out.unreadable = library.MacroPath(library.List()[size_t(number)]).string();
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

}  // namespace vivori::devices
