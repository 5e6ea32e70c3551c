#pragma once

// The main window's background choice, kept in "main.ini" (an INI file in the user
// data folder, section "SKINIMAGE"): "FLAGS" 1 for an image, 0 after a reset, 2 for a
// colour; "IMAGE" the image path; "COLOR" the colour as "#AARRGGBB".

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

inline constexpr const char* kDefaultBackground = "common/background.png";

struct SkinChoice {
    enum class Kind { Reset, Image, Colour };
    Kind kind = Kind::Reset;
    std::string image = kDefaultBackground;  // Reset and Image
    std::uint32_t colour = 0;                // Colour: 0xAARRGGBB
    bool operator==(const SkinChoice&) const = default;
};

std::filesystem::path MainIniFile(const DataFolders& folders);

// The stored choice; nothing when the file is missing, damaged or names something
// unusable (an image path that climbs out with "..", a colour that is not one).
std::optional<SkinChoice> ReadSkinChoice(const std::filesystem::path& mainIni);
// Replaces the "SKINIMAGE" section and keeps every other line of the file.
bool WriteSkinChoice(const std::filesystem::path& mainIni, const SkinChoice& choice);

}  // namespace vivori::profiles
