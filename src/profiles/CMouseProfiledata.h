#pragma once

#include <vector>

#include "profiles/CBasicProfiledata.h"

namespace vivori::profiles {

class CMouseProfiledata : public CBasicProfiledata {
  public:
    // Stages from the file overwrite the held ones position by position; held stages
    // beyond the file's count stay as they are.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int GetActiveDpiStage() const { return activeDpiStage_; }
    void SetActiveDpiStage(int stage);
    MouseSystemStages GetSystemStages();
    void SetSystemStages(const MouseSystemStages& stages);
    std::vector<CorrectInfoEntry> GetCorrectInfo();

  private:
    std::vector<DpiStage> dpiStages_;
    int activeDpiStage_ = 0;
    MouseSystemStages systemStages_;
    std::vector<CorrectInfoEntry> correctInfo_;
};

}  // namespace vivori::profiles
