#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "device/CommandTransport.h"
#include "devices/KeyTablePlan.h"
#include "macros/MacroUpload.h"

namespace vivori::devices {

// Writes a key table as the keyboard and the mouse do: in configuration, the
// information block read again, the data length set for its slot count (refused: more
// than the key-map commands hold), then the key map read last with the plan's codes
// put in. A device that reports another slot count than the map was read with needs
// a new read first: CMD_BAD_BLOCK, nothing written.
int SendKeyTable(CommandTransport& transport, std::span<const uint8_t> keyMap, int slotCount,
                 const KeyTablePlan& plan, int block = 0);

// Uploads the macros at these macro-list positions of the device folder as one macro
// image. With a known memory size, a set too large is refused before any command.
macros::MacroUploadResult SendMacros(CommandTransport& transport,
                                     const std::filesystem::path& deviceFolder,
                                     const std::vector<int>& macroNumbers,
                                     std::optional<size_t> knownCapacity);

}  // namespace vivori::devices
