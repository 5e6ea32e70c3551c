#include "lighting/LightFrame.h"

#include <algorithm>

namespace vivori::lighting {

std::vector<uint8_t> BuildLightFrame(const LedColourList& colours, const KeyIndexMap& ledOfKey,
                                     int keySlots) {
    std::vector<uint8_t> frame;
    BuildLightFrame(colours, ledOfKey, keySlots, frame);
    return frame;
}

void BuildLightFrame(const LedColourList& colours, const KeyIndexMap& ledOfKey, int keySlots,
                     std::vector<uint8_t>& frame) {
    const int slots = std::clamp(keySlots, 0, kMaxFrameSlots);
    frame.assign(static_cast<size_t>(slots) * 3, 0);
    auto scaled = [](uint8_t value, uint8_t brightness) {
        return static_cast<uint8_t>(value * brightness / 256);
    };
    for (int key = 0; key < kKeyCount; ++key) {
        // The LED map comes from the device: an index past the slots it streams
        // would land outside the frame.
        const int led = ledOfKey[static_cast<size_t>(key)];
        if (led >= slots) continue;
        const LedColour& entry = colours[key];
        uint8_t* out = &frame[static_cast<size_t>(led) * 3];
        out[0] = scaled(entry.red, entry.brightness);
        out[1] = scaled(entry.green, entry.brightness);
        out[2] = scaled(entry.blue, entry.brightness);
    }
}

}  // namespace vivori::lighting
