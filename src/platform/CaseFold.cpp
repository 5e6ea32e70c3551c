#include "platform/CaseFold.h"

namespace vivori {
namespace {

char32_t Lower(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;  // Latin-1, not the multiplication sign
    if (c >= 0x100 && c <= 0x137) return c | 1;      // Latin Extended-A: upper case even
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177) return c | 1;
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c + 1 : c;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;                // Cyrillic Ѐ-Џ
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic А-Я
    return c;
}

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FoldCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        // Only two- and three-byte sequences hold letters that fold; keep the rest as is.
        if (b0 >= 0xC2 && b0 < 0xE0 && i + 1 < s.size() && (s[i + 1] & 0xC0) == 0x80) {
            Append(out, Lower(char32_t(b0 & 0x1F) << 6 | (s[i + 1] & 0x3F)));
            i += 2;
        } else {
            out += static_cast<char>(b0 < 0x80 ? Lower(b0) : b0);
            ++i;
        }
    }
    return out;
}

}  // namespace vivori
