#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "device/MacroImage.h"

namespace vivori::macros {

// The mouse's four recoil patterns, "ShootData_0.Shoot" to "ShootData_3.Shoot" in
// its data folder, with read-only default copies in the default data folder.
inline constexpr int kRecoilPatternCount = static_cast<int>(kShootPatterns);
using RecoilEvents = std::array<std::vector<MacroEvent>, kShootPatterns>;

std::string RecoilFileName(int pattern);

// Where pattern n is read from: the user's file, or the shipped default while the
// user has no readable one.
std::filesystem::path RecoilSource(const std::filesystem::path& userFolder,
                                   const std::filesystem::path& defaultFolder, int pattern);

// Every pattern's events, in pattern order, for the recoil image. Values the device
// record cannot hold are clamped as in macro files.
RecoilEvents ReadRecoilPatterns(const std::filesystem::path& userFolder,
                                const std::filesystem::path& defaultFolder);

}  // namespace vivori::macros
