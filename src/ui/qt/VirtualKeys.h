#pragma once

#include <cstdint>

namespace vivori::ui {

// The virtual-key code the toolkit's controls expect for a Qt key; 0 for keys that
// have none.
std::uint32_t VirtualKeyFromQt(int qtKey);

}  // namespace vivori::ui
