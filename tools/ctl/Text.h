#pragma once

// Reading numbers, codes and hex bytes from the command line, and printing bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vivori::ctl {

// Decimal, or hexadecimal with 0x; nullopt when not a number up to max. A leading 0 is
// no octal: "010" is ten.
std::optional<uint32_t> ParseNumber(const std::string& text, uint32_t max);
// A signed decimal from min to max ("-12", "7"); nullopt on anything else.
std::optional<int> ParseSigned(const std::string& text, int min, int max);
// A code as the tool prints it (an assignment code, a sensor code): hexadecimal, with or
// without 0x ("20003e", "0x20003e"); decimal only after "#" ("#2097214"). Up to max.
std::optional<uint32_t> ParseCode(const std::string& text, uint32_t max = 0xFFFFFF);
// Hex bytes: "0a 0b", "0a0b" or "0x0a"; nullopt on anything else.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::vector<std::string>& words);
// "RRGGBB" (or 0xRRGGBB) as three bytes.
std::optional<std::vector<uint8_t>> ParseColour(const std::string& text);
// Rows of 16 bytes, each led by its offset.
void PrintBytes(const uint8_t* bytes, size_t length, size_t firstOffset = 0);
// "rrggbb" of three bytes.
std::string HexColour(uint8_t red, uint8_t green, uint8_t blue);

}  // namespace vivori::ctl
