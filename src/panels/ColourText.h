#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vivori::ui {
class CControlUI;
}

namespace vivori::panels {

// One colour component typed into an edit, read as a decimal number (leading digits
// count, anything else reads 0) and held to 0-255. When the edit must show something
// else (empty, below 0, above 255), `rewrite` is the text to put back.
struct ColourComponent {
    int value = 0;
    std::optional<std::string> rewrite;
};
ColourComponent ReadColourComponent(std::string_view text);

// 0xFFRRGGBB from the components (each held to 0-255).
uint32_t OpaqueColour(int red, int green, int blue);
inline int RedOf(uint32_t colour) {
    return int(colour >> 16 & 0xFF);
}
inline int GreenOf(uint32_t colour) {
    return int(colour >> 8 & 0xFF);
}
inline int BlueOf(uint32_t colour) {
    return int(colour & 0xFF);
}
// "#AARRGGBB", as the layouts write colours.
std::string ColourAttribute(uint32_t colour);
// A colour sample button shows the colour whatever the mouse does over it.
void PaintColourSample(ui::CControlUI* button, uint32_t colour);

}  // namespace vivori::panels
