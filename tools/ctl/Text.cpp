#include "Text.h"

#include <cctype>
#include <cstdio>

namespace vivori::ctl {

namespace {

// Digits of one base only, no sign, no blanks, no overflow past max.
std::optional<uint32_t> Digits(const std::string& text, size_t from, int base, uint32_t max) {
    if (from >= text.size()) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = from; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        int digit = -1;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        if (digit < 0) return std::nullopt;
        value = value * uint64_t(base) + uint64_t(digit);
        if (value > max) return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

bool HasHexPrefix(const std::string& text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

}  // namespace

std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max) {
    return HasHexPrefix(text) ? Digits(text, 2, 16, max) : Digits(text, 0, 10, max);
}

std::optional<int> ParseSigned(const std::string& text, int min, int max) {
    const bool negative = !text.empty() && text[0] == '-';
    const auto magnitude = Digits(text, negative ? 1 : 0, 10, 0x7FFFFFFF);
    if (!magnitude) return std::nullopt;
    const int64_t value = negative ? -int64_t(*magnitude) : int64_t(*magnitude);
    if (value < min || value > max) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<uint32_t> ParseCode(const std::string& text, uint32_t max) {
    if (!text.empty() && text[0] == '#') return Digits(text, 1, 10, max);
    return Digits(text, HasHexPrefix(text) ? 2 : 0, 16, max);
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::vector<std::string>& words) {
    std::vector<uint8_t> bytes;
    for (const std::string& word : words) {
        const size_t from = HasHexPrefix(word) ? 2 : 0;
        if (word.size() == from || (word.size() - from) % 2 != 0) return std::nullopt;
        for (size_t i = from; i < word.size(); i += 2) {
            const auto byte = Digits(word.substr(i, 2), 0, 16, 0xFF);
            if (!byte) return std::nullopt;
            bytes.push_back(static_cast<uint8_t>(*byte));
        }
    }
    return bytes;
}

std::optional<std::vector<uint8_t>> ParseColour(const std::string& text) {
    auto bytes = ParseHexBytes({text});
    if (!bytes || bytes->size() != 3) return std::nullopt;
    return bytes;
}

void PrintBytes(const uint8_t* bytes, size_t length, size_t firstOffset) {
    for (size_t row = 0; row < length; row += 16) {
        std::printf("%04zx:", firstOffset + row);
        for (size_t i = row; i < length && i < row + 16; ++i) std::printf(" %02x", bytes[i]);
        std::printf("\n");
    }
}

std::string HexColour(uint8_t red, uint8_t green, uint8_t blue) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", red, green, blue);
    return text;
}

}  // namespace vivori::ctl
