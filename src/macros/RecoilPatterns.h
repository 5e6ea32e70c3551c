#pragma once

#include <json/value.h>

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

// One shot of a pattern: six events (press, release, horizontal pull, vertical pull
// and wait, two closing events).
inline constexpr int kBulletsPerPattern = 30;
inline constexpr int kEventsPerBullet = 6;
struct Bullet {
    int x = 0;      // horizontal distance 0-255
    int y = 0;      // vertical distance 0-255
    int delay = 0;  // ms after the vertical pull, 0-65535
    bool left = false;
    bool up = false;
    bool operator==(const Bullet&) const = default;
};

// The bullet as a pattern document holds it; zeros where it holds none.
Bullet BulletOf(const Json::Value& document, int bullet);
// The bullet as the user's pattern file holds it; zeros when missing.
Bullet ReadBullet(const std::filesystem::path& userFolder, int pattern, int bullet);
// Writes the bullet's six events into the user's pattern file (other bullets and keys
// kept; distances and delay clamped to what a device record holds).
bool SaveBullet(const std::filesystem::path& userFolder, int pattern, int bullet,
                const Bullet& value);

struct RecoilResult {
    bool ok = false;
    std::string message;             // why it was refused
    std::vector<std::string> notes;  // what an import had to change
};
// Copies the chosen file over the pattern's file: byte for byte when every value is in
// range, else the clamped copy, each change noted. A file that is no pattern file is
// refused with the reason, and nothing is written.
RecoilResult ImportPattern(const std::filesystem::path& userFolder, int pattern,
                           const std::filesystem::path& file);
// Copies the pattern's file (the default copy while the user has none) to target;
// an existing target only with overwrite.
RecoilResult ExportPattern(const std::filesystem::path& userFolder,
                           const std::filesystem::path& defaultFolder, int pattern,
                           const std::filesystem::path& target, bool overwrite);
// The default copy over the user's file.
RecoilResult ResetPattern(const std::filesystem::path& userFolder,
                          const std::filesystem::path& defaultFolder, int pattern);
// Every user pattern file that is missing or unreadable gets the default copy.
void EnsurePatterns(const std::filesystem::path& userFolder,
                    const std::filesystem::path& defaultFolder);

}  // namespace vivori::macros
