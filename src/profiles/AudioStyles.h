#pragma once

// The four named audio light styles and their R, G, B levels (0-9), kept in
// "AudioFile.json": a default copy in DefaultData and the user's copy.

#include <json/value.h>

#include <array>
#include <filesystem>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

inline constexpr int kAudioStyleCount = 4;
inline constexpr int kAudioLevelMax = 9;
inline constexpr const char* kAudioFileName = "AudioFile.json";

struct AudioStyleSet {
    int style = 0;  // the selected style, 0-3
    std::array<std::string, kAudioStyleCount> names;
    std::array<std::array<int, 3>, kAudioStyleCount> levels{};  // R, G, B per style
    bool operator==(const AudioStyleSet&) const = default;
};

// The name an emptied style name falls back to.
const std::string& DefaultAudioStyleName(int style);
// Levels the recorder is sent for the selected style: R, G, B, a G of 0 sent as 1.
std::array<int, 3> RecorderLevels(const AudioStyleSet& set);

// The styles in a "Device" member; missing members read as 0 and empty names, and
// values out of range are held to it.
AudioStyleSet AudioStylesOf(const Json::Value& device);
void StoreAudioStyles(const AudioStyleSet& set, Json::Value& device);

class AudioStyleFile {
  public:
    explicit AudioStyleFile(const DataFolders& folders);
    AudioStyleFile(std::filesystem::path userFile, std::filesystem::path defaultFile);

    // The user's "Device" member; when it has none (missing, damaged or null file) the
    // default copy's, which is written to the user's file (a damaged one is kept
    // beside it as "<name>.bad").
    AudioStyleSet Load();
    // Replaces the user's "Device" member by the set, keeping the file's other keys.
    bool Save(const AudioStyleSet& set);
    // The default copy's "Device" member into the user's file.
    AudioStyleSet Reset();
    const std::filesystem::path& UserFile() const { return userFile_; }

  private:
    std::filesystem::path userFile_;
    std::filesystem::path defaultFile_;
    Json::Value document_;  // the "Device" member last loaded
};

}  // namespace vivori::profiles
