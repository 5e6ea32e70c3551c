#include "panels/ColourText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "ui/core/CControlUI.h"

namespace vivori::panels {

ColourComponent ReadColourComponent(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size()) return {0, "0"};
    bool negative = false;
    if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
    long value = 0;
    bool digits = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        digits = true;
        value = std::min(value * 10 + (text[i] - '0'), 100000L);  // enough to know it is too big
    }
    if (!digits) return {0, std::nullopt};
    if (negative && value > 0) return {0, "0"};
    if (value > 255) return {255, "255"};
    return {int(value), std::nullopt};
}

uint32_t OpaqueColour(int red, int green, int blue) {
    auto c = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return 0xFF000000u | c(red) << 16 | c(green) << 8 | c(blue);
}

std::string ColourAttribute(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", colour);
    return text;
}

void PaintColourSample(ui::CControlUI* button, uint32_t colour) {
    if (button == nullptr) return;
    const std::string value = ColourAttribute(colour);
    button->SetAttribute("bkcolor", value);
    button->SetAttribute("hotbkcolor", value);
    button->SetAttribute("pushedbkcolor", value);
}

}  // namespace vivori::panels
