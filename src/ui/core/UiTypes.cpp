#include "ui/core/UiTypes.h"

#include <algorithm>

namespace vivori::ui {

UiRect UiRect::Intersect(const UiRect& other) const {
    UiRect result{std::max(left, other.left), std::max(top, other.top),
                  std::min(right, other.right), std::min(bottom, other.bottom)};
    if (result.IsEmpty()) return {};
    return result;
}

UiRect UiRect::Union(const UiRect& other) const {
    if (other.IsEmpty()) return *this;
    if (IsEmpty()) return other;
    return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
            std::max(bottom, other.bottom)};
}

std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace vivori::ui
