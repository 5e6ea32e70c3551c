#include "profiles/AudioStyles.h"

#include <algorithm>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

namespace vivori::profiles {
namespace {

constexpr const char* kDevice = "Device";
constexpr const char* kInfo = "AudioLightInfo";
constexpr char kChannels[] = {'R', 'G', 'B'};

std::string LevelKey(char channel, int style) {
    return std::string("nStyle") + channel + std::to_string(style);
}

std::string NameKey(int style) {
    return "nStyleName" + std::to_string(style + 1);
}

}  // namespace

const std::string& DefaultAudioStyleName(int style) {
    static const std::array<std::string, kAudioStyleCount> kNames = {"第一组", "第二组", "第三组",
                                                                     "第四组"};
    return kNames[size_t(std::clamp(style, 0, kAudioStyleCount - 1))];
}

std::array<int, 3> RecorderLevels(const AudioStyleSet& set) {
    std::array<int, 3> levels = set.levels[size_t(std::clamp(set.style, 0, kAudioStyleCount - 1))];
    if (levels[1] == 0) levels[1] = 1;  // the recorder takes a G level of 0 as 1
    return levels;
}

AudioStyleSet AudioStylesOf(const Json::Value& device) {
    const Json::Value& info = JsonMember(device, kInfo);
    AudioStyleSet set;
    set.style = std::clamp(JsonInt(info, "nAudioStyle", 0), 0, kAudioStyleCount - 1);
    for (int s = 0; s < kAudioStyleCount; ++s) {
        set.names[size_t(s)] = JsonString(info, NameKey(s).c_str());
        for (int c = 0; c < 3; ++c)
            set.levels[size_t(s)][size_t(c)] =
                std::clamp(JsonInt(info, LevelKey(kChannels[c], s).c_str(), 0), 0, kAudioLevelMax);
    }
    return set;
}

void StoreAudioStyles(const AudioStyleSet& set, Json::Value& device) {
    Json::Value& info = ObjectMember(device, kInfo);
    info["nAudioStyle"] = set.style;
    for (int s = 0; s < kAudioStyleCount; ++s) {
        info[NameKey(s)] = set.names[size_t(s)];
        for (int c = 0; c < 3; ++c)
            info[LevelKey(kChannels[c], s)] = set.levels[size_t(s)][size_t(c)];
    }
}

AudioStyleFile::AudioStyleFile(const DataFolders& folders)
    : AudioStyleFile(folders.UserDataFolder() / kAudioFileName,
                     folders.DefaultDataFolder() / kAudioFileName) {}

AudioStyleFile::AudioStyleFile(std::filesystem::path userFile, std::filesystem::path defaultFile)
    : userFile_(std::move(userFile)), defaultFile_(std::move(defaultFile)) {}

AudioStyleSet AudioStyleFile::Load() {
    const Json::Value user = ReadJsonFile(userFile_);
    if (const Json::Value& device = JsonMember(user, kDevice); !device.isNull()) {
        document_ = device;
        return AudioStylesOf(document_);
    }
    return Reset();
}

AudioStyleSet AudioStyleFile::Reset() {
    const Json::Value defaults = ReadJsonFile(defaultFile_);
    document_ = JsonMember(defaults, kDevice);
    if (!document_.isNull() && !SaveJsonMember(userFile_, kDevice, document_))
        DebugPrintf("%s not written", userFile_.string().c_str());
    return AudioStylesOf(document_);
}

bool AudioStyleFile::Save(const AudioStyleSet& set) {
    if (!document_.isObject()) document_ = Json::Value(Json::objectValue);
    StoreAudioStyles(set, document_);
    return SaveJsonMember(userFile_, kDevice, document_);
}

}  // namespace vivori::profiles
