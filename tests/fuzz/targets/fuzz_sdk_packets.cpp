// Any bytes as what a lighting client sends: fed to one client's session in pieces of
// the size the input's first byte picks, against a keyboard-like and a pad-like
// controller. Every reply must be a whole packet, and every controller data block
// as long as it says.

#include <algorithm>
#include <cstring>

#include "sdk/SdkSession.h"

using namespace vivori::sdk;

namespace {

class Actions : public SdkActions {
  public:
    void ControllerChanged(const ControllerChange& change) override {
        // What the application relies on: the colours cover every LED.
        if (change.colours.empty()) __builtin_trap();
    }
    void ClientsChanged(int) override {}
};

Controller Sample(uint64_t key, bool matrix) {
    Controller c;
    c.key = key;
    c.name = matrix ? "keyboard" : "pad";
    Mode direct;
    direct.name = "Direct";
    direct.flags = kHasPerLedColour;
    direct.colourMode = kColourPerLed;
    Mode wave;
    wave.name = "Wave";
    wave.flags = kHasSpeed | kHasBrightness | kHasDirectionLR | kHasModeSpecificColour |
                 kHasRandomColour | kManualSave;
    wave.speedMax = wave.brightnessMax = 4;
    wave.coloursMin = wave.coloursMax = 1;
    wave.colours = {{1, 2, 3}};
    c.modes = {direct, wave};
    const uint32_t leds = matrix ? 6 : 14;
    Zone zone{"z", matrix ? kZoneMatrix : kZoneLinear, leds, 0, 0, {}};
    if (matrix) {
        zone.rows = 2;
        zone.columns = 4;
        zone.matrix = {0, 1, 2, kNoLed, 3, 4, 5, kNoLed};
    }
    c.zones = {zone};
    for (uint32_t i = 0; i < leds; ++i) c.leds.push_back({"LED", i});
    c.colours.resize(leds);
    return c;
}

void CheckReplies(const std::vector<uint8_t>& out) {
    size_t at = 0;
    while (at < out.size()) {
        Header header;
        if (out.size() - at < kHeaderSize ||
            ReadHeader({out.data() + at, out.size() - at}, header) != HeaderVerdict::Good ||
            out.size() - at - kHeaderSize < header.size)
            __builtin_trap();
        if (header.id == kRequestControllerData) {
            uint32_t declared = 0;
            std::memcpy(&declared, out.data() + at + kHeaderSize, 4);
            if (declared != header.size) __builtin_trap();
        }
        at += kHeaderSize + header.size;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SdkRegistry registry;
    registry.SetControllers({Sample(1, true), Sample(2, false)});
    Actions actions;
    SdkSession session(registry, &actions, "fuzz");
    const std::size_t piece = size == 0 ? 1 : std::size_t(data[0] % 23) + 1;
    std::vector<uint8_t> out;
    for (std::size_t at = 0; at < size; at += piece) {
        if (!session.Feed({data + at, std::min(piece, size - at)}, out)) break;
    }
    CheckReplies(out);
    return 0;
}
