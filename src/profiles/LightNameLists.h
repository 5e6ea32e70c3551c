#pragma once

// The light names a device page offers, from "default_light.json" (built-in modes
// and areas) and "zunik_light.config" (custom effects). Each file holds one list per
// light table index (mouse 0, keyboard 1, mouse pad 2, headset 3).

#include <filesystem>
#include <string>
#include <vector>

namespace vivori::profiles {

struct LightNameLists {
    std::vector<std::string> modeNames;
    std::vector<bool> modeVisible;
    std::vector<int> modeMap;  // device mode code of each light-mode index
    std::vector<std::string> areaNames;
    std::vector<std::string> customNames;
};

// A missing file or list leaves the matching lists as they are.
void LoadDefaultLightNames(const std::filesystem::path& file, int tableIndex,
                           LightNameLists& lists);
void LoadCustomLightNames(const std::filesystem::path& file, int tableIndex, LightNameLists& lists);

}  // namespace vivori::profiles
