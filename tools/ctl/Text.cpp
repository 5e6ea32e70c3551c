#include "Text.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace vivori::ctl {

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
    if (text.empty() || text[0] == '-') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::vector<std::string>& words) {
    std::vector<uint8_t> bytes;
    for (std::string word : words) {
        if (word.rfind("0x", 0) == 0 || word.rfind("0X", 0) == 0) word.erase(0, 2);
        if (word.empty() || word.size() % 2 != 0) return std::nullopt;
        for (size_t i = 0; i < word.size(); i += 2) {
            if (!std::isxdigit(static_cast<unsigned char>(word[i])) ||
                !std::isxdigit(static_cast<unsigned char>(word[i + 1])))
                return std::nullopt;
            bytes.push_back(static_cast<uint8_t>(std::stoul(word.substr(i, 2), nullptr, 16)));
        }
    }
    return bytes;
}

void PrintBytes(const uint8_t* bytes, size_t length, size_t firstOffset) {
    for (size_t row = 0; row < length; row += 16) {
        std::printf("%04zx:", firstOffset + row);
        for (size_t i = row; i < length && i < row + 16; ++i) std::printf(" %02x", bytes[i]);
        std::printf("\n");
    }
}

}  // namespace vivori::ctl
