#include "devices/DeviceUploads.h"

#include "devices/ConfigSequence.h"
#include "macros/MacroLibrary.h"

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
    for (int number : macroNumbers) events.push_back(library.Events(size_t(number)));
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
