#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// One byte per key-grid column, rotated one place a step by the chase effects; its
// first nine positions light the key levels of the same index.
class ColumnRing {
  public:
    static constexpr int kLitPositions = 9;

    void Clear() { ring_ = {}; }
    void Set(int position, uint8_t value);
    uint8_t At(int position) const;
    // Toward higher positions (the last byte moves to 0), or the other way.
    void Rotate(bool towardHigher);
    // For positions 0-8 that are non-zero, the key level of the key with the same
    // index becomes 255.
    void ToKeyLevels(std::span<uint8_t> keyLevels) const;

  private:
    std::array<uint8_t, kGridColumns> ring_{};
};

}  // namespace vivori::lighting
