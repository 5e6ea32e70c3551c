#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/CBasicProfiledata.h"

namespace vivori::profiles {

inline constexpr int kEqBands = 10;
inline constexpr int kCustomEqType = 13;  // EqType of the user's own settings
inline constexpr int kMaxCustomEqs = 20;

class CRi6533Profiledata : public CBasicProfiledata {
  public:
    SystemSetStages GetSystemSetStages();
    void SetSystemSetStages(const SystemSetStages& stages);

    // Band values of the preset EqType selects (1-12; anything else but 13 uses 1).
    // EqType 13 has no preset: empty, and nothing is written. A missing preset is
    // stored as ten zeros in the document.
    std::vector<std::int32_t> GetEqValues(int eqType);
    void SetEqValues(const std::vector<std::int32_t>& values, int eqType);
    // The same for custom setting `index` (0 to kMaxCustomEqs - 1; others read as
    // zeros and are never written).
    std::vector<std::int32_t> GetCustomEqValues(int index);
    void SetCustomEqValues(const std::vector<std::int32_t>& values, int index);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);
    // Removes custom setting `index` from the names and from the band values alike.
    void DeleteCustomEq(int index);
    // The curve set with the band sliders and never saved under a name (EqType 13 with
    // CustomEqSeletIndex -1). It sits in the preset list's slot 13, which no preset
    // uses; nothing when the document holds none.
    std::optional<std::vector<std::int32_t>> GetUnnamedCustomEq();
    void SetUnnamedCustomEq(const std::vector<std::int32_t>& values);

  private:
    std::vector<std::int32_t> ReadBands(const char* key, int slot);
    void WriteBands(const char* key, int slot, const std::vector<std::int32_t>& values);

    SystemSetStages systemSetStages_;
    std::vector<std::int32_t> eqValues_;
};

}  // namespace vivori::profiles
