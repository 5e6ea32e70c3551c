#pragma once

#include <vector>

#include "profiles/CBasicProfiledata.h"

namespace vivori::profiles {

// Custom per-key colour groups a file may name; the colour block number is a byte,
// but no keyboard of the family keeps more than a handful of blocks.
inline constexpr int kMaxCustomLightGroups = 16;

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    KeyboardSystemStages GetSystemStages();
    void SetSystemStages(const KeyboardSystemStages& stages);

    // Colours of custom group `group`; a missing group or colour is stored as zero
    // in the document (saved with the next Save()). A group outside the bound is
    // read as zeros and never written.
    std::vector<RgbaColor> GetCustomLightColors(int group, int count);
    void SetCustomLightColors(const std::vector<RgbaColor>& colors, int group);
    // The stored group index, 0 when it is outside the bound.
    int GetCustomLightGroup();
    void SetCustomLightGroup(int group);

  private:
    Json::Value& ColorGroups();

    KeyboardSystemStages systemStages_;
    std::vector<RgbaColor> customColors_;
};

}  // namespace vivori::profiles
