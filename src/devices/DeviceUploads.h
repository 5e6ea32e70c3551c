#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/CommandTransport.h"
#include "devices/KeyTablePlan.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroUpload.h"

namespace vivori::devices {

// Writes a key table as the keyboard and the mouse do: in configuration, the
// information block read again, the data length set for its slot count (refused: more
// than the key-map commands hold), then the key map read last with the plan's codes
// put in. A device that reports another slot count than the map was read with needs
// a new read first: CMD_BAD_BLOCK, nothing written.
int SendKeyTable(CommandTransport& transport, std::span<const uint8_t> keyMap, int slotCount,
                 const KeyTablePlan& plan, int block = 0);

// Uploads the macros at these positions of `list` (the device folder's macro list as
// read once) as one macro image. With a known memory size, a set too large is refused
// before any command.
macros::MacroUploadResult SendMacros(CommandTransport& transport,
                                     const std::filesystem::path& deviceFolder,
                                     const std::vector<macros::MacroEntry>& list,
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity);
// The same with the macro list read now.
macros::MacroUploadResult SendMacros(CommandTransport& transport,
                                     const std::filesystem::path& deviceFolder,
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity);

// What writing the macros and the key table from one plan did.
struct KeysAndMacrosResult {
    macros::MacroUploadResult macros;  // the image (nothing sent when it was refused)
    // The key table's result; it is written only once the macros it numbers are.
    int keyTable = CMD_NO_REPLY;
    bool keyTableWritten = false;
    std::vector<int> usedMacros;    // macro list positions, in the image's order
    std::vector<int> unplacedKeys;  // assignments with no slot on the device: not written
    // Not empty: "macro.config" cannot be read, so nothing was sent.
    std::string macroListProblem;
    // CMD_OK when the macros and the key table were written.
    int Result() const;
};

// What a device knows for that write.
struct KeyTableTarget {
    const std::vector<profiles::KeyListEntry>& keys;
    const KeyLocations& locations;
    int slotCount = 0;
    std::span<const uint8_t> keyMap;
    std::optional<size_t> macroCapacity;  // known from the information block
    bool sendEmptyImage = true;           // false: no used macro, no upload
    int block = 0;
};

// Reads the macro list once, plans the key table from it, uploads the macros the plan
// uses in the order it numbers them, then writes the key table from the same plan. A
// refused or failed upload leaves the key table as the device has it, so the two the
// device holds always belong together.
KeysAndMacrosResult SendKeysAndMacros(CommandTransport& transport,
                                      const std::filesystem::path& deviceFolder,
                                      const KeyTableTarget& target);

// The same write with everything it needs owned, so it can run on another thread.
struct KeysAndMacrosJob {
    std::vector<profiles::KeyListEntry> keys;
    KeyLocations locations;
    int slotCount = 0;
    std::vector<uint8_t> keyMap;
    std::optional<size_t> macroCapacity;
    bool sendEmptyImage = true;
    std::filesystem::path deviceFolder;

    KeysAndMacrosResult Send(CommandTransport& transport) const {
        return SendKeysAndMacros(transport, deviceFolder,
                                 {.keys = keys,
                                  .locations = locations,
                                  .slotCount = slotCount,
                                  .keyMap = keyMap,
                                  .macroCapacity = macroCapacity,
                                  .sendEmptyImage = sendEmptyImage});
    }
};

}  // namespace vivori::devices
