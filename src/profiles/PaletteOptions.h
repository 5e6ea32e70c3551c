#pragma once

// The colour palette window's memory: its 20 preset colours, the 20 colours the user
// collected, and the last selection of each, in "color_option_info.config".

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

inline constexpr int kPaletteSlotCount = 20;
inline constexpr const char* kPaletteFileName = "color_option_info.config";

struct PaletteOptions {
    // A preset the file gives no colour for keeps its layout colour (nullopt).
    std::array<std::optional<uint32_t>, kPaletteSlotCount> presets;
    int presetSelected = -1;
    // A slot holds a colour only once the user filled it ("UserData" "1").
    std::array<std::optional<uint32_t>, kPaletteSlotCount> collected;
    int collectedSelected = -1;
};

// A colour as stored: eight upper-case hexadecimal digits, alpha first; read back as
// hexadecimal, anything else reading 0.
std::string PaletteColourText(uint32_t colour);
uint32_t ParsePaletteColour(const std::string& text);

// The user's copy in the user data folder, first copied from the default copy.
class PaletteFile {
  public:
    explicit PaletteFile(const DataFolders& folders);
    PaletteFile(std::filesystem::path userFile, std::filesystem::path defaultFile);

    // Reads the user's file; when it is missing (or holds null) the default copy is
    // read and written to the user data folder. A user file that is present but bad
    // is left alone: the defaults are shown and nothing is saved over it.
    PaletteOptions Load();
    // Store the presets and their selection, or the collected slots and theirs.
    bool SavePresets(const PaletteOptions& options);
    bool SaveCollected(const PaletteOptions& options);
    bool Damaged() const { return damaged_; }
    const std::filesystem::path& UserFile() const { return userFile_; }

  private:
    bool Save(const char* arrayKey, const char* selectKey,
              const std::array<std::optional<uint32_t>, kPaletteSlotCount>& colours, int selected,
              bool collected);

    std::filesystem::path userFile_;
    std::filesystem::path defaultFile_;
    bool damaged_ = false;
};

}  // namespace vivori::profiles
