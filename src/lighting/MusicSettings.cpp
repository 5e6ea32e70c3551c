#include "lighting/MusicSettings.h"

namespace vivori::lighting {

namespace {
uint8_t ByteOf(uint32_t value, int byte) {
    return static_cast<uint8_t>(value >> (8 * byte));
}
}  // namespace

MusicSettings MusicSettingsOfCurrentColours(uint32_t first, uint32_t second) {
    MusicSettings s;
    s.style = ByteOf(first, 0);
    s.base = {ByteOf(first, 1), ByteOf(first, 2), ByteOf(first, 3)};
    s.peak = {ByteOf(second, 0), ByteOf(second, 1), ByteOf(second, 2)};
    s.peakColourful = ByteOf(second, 3) != 0;
    return s;
}

}  // namespace vivori::lighting
