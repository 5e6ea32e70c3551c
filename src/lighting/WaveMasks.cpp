#include "lighting/WaveMasks.h"

#include "lighting/LightTables.h"

namespace vivori::lighting {
namespace {

// Rows 0-6 exist; a bit shifted past them disappears.
constexpr uint8_t kRowsMask = 0x7F;

using Mask = std::array<uint8_t, kGridColumns>;

// new[c] = shifted(old[c]) | old[c - toward]: the column's own bits move one row,
// and the neighbour on the far side hands its bits over unshifted.
Mask Spread(const Mask& old, int toward, bool up) {
    Mask next{};
    for (int c = 0; c < kGridColumns; ++c) {
        const uint8_t own = old[c];
        next[c] = up ? own >> 1 : static_cast<uint8_t>((own << 1) & kRowsMask);
        const int from = c - toward;
        if (from >= 0 && from < kGridColumns) next[c] |= old[from];
    }
    return next;
}

Mask Shift(const Mask& old, int toward) {
    Mask next{};
    for (int c = 0; c < kGridColumns; ++c) {
        const int from = c - toward;
        if (from >= 0 && from < kGridColumns) next[c] = old[from];
    }
    return next;
}

}  // namespace

void WaveMasks::Seed(int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row > kSeedRow) return;
    for (auto& mask : masks_) mask[column] |= RowBit(row);
}

void WaveMasks::ForEachLitKey(const std::function<void(int key)>& lit) const {
    for (int c = 0; c < kGridColumns; ++c) {
        const uint8_t rows = Column(c);
        if (rows == 0) continue;
        for (int r = 0; r < kGridRows; ++r) {
            const uint8_t key = GridKey(c, r);
            if ((rows & RowBit(r)) && key != kNoKey) lit(key);
        }
    }
}

void WaveMasks::Move() {
    masks_[0] = Spread(masks_[0], -1, true);
    masks_[1] = Spread(masks_[1], +1, true);
    masks_[2] = Spread(masks_[2], +1, false);
    masks_[3] = Spread(masks_[3], -1, false);
}

void WaveMasks::Slide() {
    masks_[0] = {};
    masks_[2] = {};
    masks_[1] = Shift(masks_[1], +1);
    masks_[3] = Shift(masks_[3], -1);
}

uint8_t WaveMasks::Column(int column) const {
    uint8_t rows = 0;
    for (int m = 0; m < kMaskCount; ++m) rows |= At(m, column);
    return rows;
}

uint8_t WaveMasks::At(int mask, int column) const {
    if (mask < 0 || mask >= kMaskCount || column < 0 || column >= kGridColumns) return 0;
    return masks_[mask][column];
}

}  // namespace vivori::lighting
