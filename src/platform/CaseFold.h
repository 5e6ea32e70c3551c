#pragma once

#include <string>
#include <string_view>

namespace vivori {

// UTF-8 text folded to lower case for comparisons that ignore case, as the names
// users give (macros, profiles) are compared. Covers the Latin, Greek and Cyrillic
// letters; anything else, and bytes that are not UTF-8, pass through unchanged.
std::string FoldCase(std::string_view utf8);

inline bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return FoldCase(a) == FoldCase(b);
}

}  // namespace vivori
