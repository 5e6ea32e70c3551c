#pragma once

#include "sim/FirmwareModel.h"

namespace vivori::sim {

// Factory contents of each product of the family.

// A full-size keyboard: 104 key slots, LED index = slot, 4 KiB of macro memory,
// light slot 0 with a static red light block.
FirmwareContents KeyboardFirmware();
// A mouse with its eleven button functions, five DPI stages and 2 KiB of macros.
FirmwareContents MouseFirmware();
// A mouse pad: lighting settings only.
FirmwareContents MousePadFirmware();
// The headset's vendor side: lighting settings and the power record.
FirmwareContents HeadsetFirmware();

}  // namespace vivori::sim
