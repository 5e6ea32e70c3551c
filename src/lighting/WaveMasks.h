#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "lighting/LightTypes.h"

namespace vivori::lighting {

// Four wave fronts over the key grid, one row mask per column each. Bit r is row r;
// row 6 lies just below the keyboard: seeds placed there light nothing until a
// front carries them up into the grid.
class WaveMasks {
  public:
    static constexpr int kMaskCount = 4;
    static constexpr int kSeedRow = 6;
    static constexpr uint8_t RowBit(int row) { return static_cast<uint8_t>(1u << row); }

    void Clear() { masks_ = {}; }
    // Sets the row bit of a cell in all four masks; ignored outside columns 0-22
    // and rows 0-6.
    void Seed(int column, int row);
    // Calls lit(key) for every grid key whose row bit is set in any mask.
    void ForEachLitKey(const std::function<void(int key)>& lit) const;
    // Spreads every front by one cell: mask 1 copies its columns to the left and
    // shifts up, mask 2 right and up, mask 3 right and down, mask 4 left and down.
    void Move();
    // Row fronts: masks 1 and 3 cleared, mask 2 one column right, mask 4 one left.
    void Slide();
    // The four masks of a column ORed together; 0 outside.
    uint8_t Column(int column) const;
    // Mask m (0-3) at a column; 0 outside.
    uint8_t At(int mask, int column) const;

  private:
    std::array<std::array<uint8_t, kGridColumns>, kMaskCount> masks_{};
};

}  // namespace vivori::lighting
