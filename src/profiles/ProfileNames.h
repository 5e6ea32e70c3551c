#pragma once

// The names new profiles get. Names are compared without regard to case, so a name
// differing from a listed one only in its letter case counts as taken.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vivori::profiles {

// The longest name, in characters: what the name field takes, and what the drop-down
// and a listing can show on one line.
inline constexpr std::size_t kMaxProfileNameChars = 32;

// Why `name` cannot name a profile, for the user; empty when it can. Refused: bytes
// that are not UTF-8, control characters (a line break would split a listing), and
// names longer than kMaxProfileNameChars characters.
std::string ProfileNameRefusal(std::string_view name);

// True when a listed name equals `name` (case-insensitive); `skip` names a position
// not to compare (the profile being renamed), or -1.
bool NameTaken(const std::vector<std::string>& names, std::string_view name, int skip = -1);

// "Профиль<n>" with the smallest n from 1 upward that no listed name has.
std::string DefaultProfileName(const std::vector<std::string>& names);

// "<source> copy", extended again ("X copy copy") while a listed name equals it.
std::string CopyProfileName(std::string_view source, const std::vector<std::string>& names);

// `title`, with "(n)" appended while a listed name equals it, counting from 1 and
// extending the already extended name: "N(1)", "N(1)(2)", ...
std::string ImportProfileName(std::string_view title, const std::vector<std::string>& names);

// The file name an export suggests: "<name>.json", with characters a file name cannot
// hold or should not start with replaced by '_', and "profile.json" for an empty name.
std::string ProfileFileName(std::string_view name);

// The text with white space trimmed at both ends.
std::string TrimmedName(std::string_view text);

}  // namespace vivori::profiles
