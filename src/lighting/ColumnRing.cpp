#include "lighting/ColumnRing.h"

#include <algorithm>

namespace vivori::lighting {

void ColumnRing::Set(int position, uint8_t value) {
    if (position >= 0 && position < kGridColumns) ring_[position] = value;
}

uint8_t ColumnRing::At(int position) const {
    return position >= 0 && position < kGridColumns ? ring_[position] : 0;
}

void ColumnRing::Rotate(bool towardHigher) {
    if (towardHigher)
        std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
    else
        std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
}

void ColumnRing::ToKeyLevels(std::span<uint8_t> keyLevels) const {
    for (int p = 0; p < kLitPositions && p < static_cast<int>(keyLevels.size()); ++p)
        if (ring_[p] != 0) keyLevels[p] = 255;
}

}  // namespace vivori::lighting
