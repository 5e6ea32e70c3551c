#pragma once

// The profile of one device: the "Device"[deviceIndex] object of a profile file held
// in memory, typed records read from and written into it, and saving back into the
// file. Accessors touch only memory; nothing reaches the disk until Save().

#include <json/json.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "profiles/ProfileRecords.h"

namespace vivori::profiles {

// Bounds on what a file can make us allocate or index.
inline constexpr int kMaxDeviceIndex = 15;
inline constexpr std::size_t kMaxListEntries = 1024;

class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // Paths; an empty argument leaves the profile or default path unchanged.
    void SetProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return profilePath_; }
    void SetDefaultProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetDefaultProfilePath() const { return defaultProfilePath_; }
    void SetLightConfigPath(const std::filesystem::path& path) { lightConfigPath_ = path; }
    const std::filesystem::path& GetLightConfigPath() const { return lightConfigPath_; }
    Json::Value LoadLightConfig(const std::filesystem::path& path);
    // Folders searched, in order, for "<Guid>.light" files.
    void SetLightStepFolders(std::vector<std::filesystem::path> folders);
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return deviceIndex_; }

    // The profile object of the file at `path`. A missing file, or a file without this
    // entry, gets the entry of the default profile written into it. A file that is
    // present but bad is left alone and the default entry is used in memory.
    Json::Value Load(const std::filesystem::path& path);
    Json::Value LoadScratch(const std::filesystem::path& path);
    const Json::Value& Document() const { return profile_; }
    const Json::Value& ScratchDocument() const { return scratch_; }

    // Saving: false when the file was not written (see UpdateJsonFile).
    virtual bool Save();
    virtual bool SaveDeviceEntry(const Json::Value& value, const std::filesystem::path& path);
    virtual bool SaveScratchTo(const std::filesystem::path& path);
    virtual bool WriteDocument(const Json::Value& value, const std::filesystem::path& path);

    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& info);
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& info);
    std::vector<LightInfo> GetLightList();
    std::vector<LightStep> GetLightSteps();
    // The effect file the last GetLightSteps found damaged (and ran without), once;
    // empty when there was none.
    std::string TakeDamagedLightFile() { return std::exchange(damagedLightFile_, {}); }
    std::vector<KeyListEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyListEntry>& list);
    std::vector<KeyListEntry> GetScratchKeyList();
    void SetScratchKeyList(const std::vector<KeyListEntry>& list);

  protected:
    // The profile document as an object, ready for a setter to write into.
    Json::Value& WritableProfile();

  private:
    Json::Value ReadEntry(const std::filesystem::path& path);
    bool WriteEntry(Json::Value& entry, const std::filesystem::path& path);

    std::filesystem::path profilePath_;
    std::filesystem::path defaultProfilePath_;
    int builtInLightCount_ = 0;
    LightInfo lightInfo_;
    LightInfo fallbackLightInfo_;
    AudioLightInfo audioLightInfo_;
    std::vector<LightInfo> lightList_;
    Json::Value profile_;
    Json::Value scratch_;
    std::filesystem::path lightConfigPath_;
    std::vector<LightStep> lightSteps_;
    std::string damagedLightFile_;
    Json::Value lightConfig_;
    std::vector<KeyListEntry> keyList_;
    std::vector<KeyListEntry> scratchKeyList_;
    int deviceIndex_ = 0;
    std::vector<std::filesystem::path> lightStepFolders_;
};

}  // namespace vivori::profiles
