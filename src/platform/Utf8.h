#pragma once

#include <string>
#include <string_view>

namespace vivori {

// The text with every byte that is not part of a well-formed UTF-8 sequence
// (overlong forms, surrogates and code points past U+10FFFF included) replaced by
// U+FFFD, which is what the JSON library stores for it anyway. Valid text comes
// back unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace vivori
