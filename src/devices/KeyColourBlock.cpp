#include "devices/KeyColourBlock.h"

#include <algorithm>

namespace vivori::devices {
namespace {

uint8_t Scale(uint8_t channel, uint8_t brightness) {
    return static_cast<uint8_t>(channel * brightness / 255);
}

}  // namespace

bool LedInBlock(uint8_t led, int slotCount) {
    return led < slotCount && size_t(led) * 3 + 2 < kKeyColourBufferSize;
}

KeyColourBuffer PackKeyColours(const std::vector<LedColour>& keyColours,
                               const KeyLocations& locations, int slotCount) {
    KeyColourBuffer block{};
    const size_t keys = std::min(keyColours.size(), locations.led.size());
    for (size_t key = 0; key < keys; ++key) {
        const uint8_t led = locations.led[key];
        if (!LedInBlock(led, slotCount)) continue;
        const LedColour& c = keyColours[key];
        block[led * 3u] = Scale(c.red, c.brightness);
        block[led * 3u + 1] = Scale(c.green, c.brightness);
        block[led * 3u + 2] = Scale(c.blue, c.brightness);
    }
    return block;
}

void UnpackKeyColours(const KeyColourBuffer& block, const KeyLocations& locations, int slotCount,
                      std::vector<LedColour>& keyColours) {
    const size_t keys = std::min(keyColours.size(), locations.led.size());
    for (size_t key = 0; key < keys; ++key) {
        const uint8_t led = locations.led[key];
        if (!LedInBlock(led, slotCount)) continue;
        keyColours[key] = {block[led * 3u], block[led * 3u + 1], block[led * 3u + 2], 255};
    }
}

}  // namespace vivori::devices
