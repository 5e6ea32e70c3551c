#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vivori::ui {

// Colours are 0xAARRGGBB words, as the layouts write them ("#FF202020").
using UiColor = std::uint32_t;

struct UiPoint {
    int x = 0;
    int y = 0;
};

struct UiSize {
    int cx = 0;
    int cy = 0;
};

// Right and bottom are exclusive, as window rectangles are.
struct UiRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(UiPoint point) const {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // The overlap of two rectangles, empty (all zero) when they do not meet.
    UiRect Intersect(const UiRect& other) const;
    // The smallest rectangle holding both; an empty side is ignored.
    UiRect Union(const UiRect& other) const;
    // Shrinks by an inset given as a rectangle of four margins.
    UiRect Deflate(const UiRect& inset) const {
        return {left + inset.left, top + inset.top, right - inset.right, bottom - inset.bottom};
    }
    bool operator==(const UiRect&) const = default;
};

// Control names and class names are compared without case; they are ASCII.
std::string AsciiLower(std::string_view text);
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace vivori::ui
