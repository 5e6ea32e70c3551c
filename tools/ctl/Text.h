#pragma once

// Reading numbers and hex bytes from the command line, and printing bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vivori::ctl {

// Decimal, or hexadecimal with 0x; nullopt when not a number up to max.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max);
// Hex bytes: "0a 0b", "0a0b" or "0x0a"; nullopt on anything else.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::vector<std::string>& words);
// Rows of 16 bytes, each led by its offset.
void PrintBytes(const uint8_t* bytes, size_t length, size_t firstOffset = 0);

}  // namespace vivori::ctl
