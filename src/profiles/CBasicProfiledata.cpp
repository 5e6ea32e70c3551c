#include "profiles/CBasicProfiledata.h"

#include <algorithm>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"
#include "profiles/RecordFields.h"

namespace vivori::profiles {
namespace {

const Json::Value& DeviceEntry(const Json::Value& document, int index) {
    return JsonElement(JsonMember(document, "Device"), std::size_t(index));
}

std::vector<KeyListEntry> ReadKeyList(const Json::Value& profile) {
    std::uint16_t index = 0;
    return ReadArray(JsonMember(profile, "KeyList"), kMaxListEntries, [&](const Json::Value& key) {
        // The low 24 bits of however large a number are the code.
        auto code = [&](const char* name) { return std::uint32_t(JsonInt64(key, name, 0)); };
        KeyListEntry entry{KeyAssign::FromCode(index, code("Assignment")),
                           KeyAssign::FromCode(index, code("DefaultAssignment"))};
        ++index;
        return entry;
    });
}

void WriteKeyList(const std::vector<KeyListEntry>& list, Json::Value& profile) {
    Json::Value& keys = ArrayMember(profile, "KeyList");
    for (std::size_t i = 0; i < list.size(); ++i)
        ObjectElement(keys, Json::ArrayIndex(i))["Assignment"] = Json::Int(list[i].current.Code());
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) defaultProfilePath_ = path;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    lightConfig_ = ReadJsonFile(path);
    return lightConfig_;
}

void CBasicProfiledata::SetLightStepFolders(std::vector<std::filesystem::path> folders) {
    lightStepFolders_ = std::move(folders);
}

void CBasicProfiledata::SetDeviceIndex(int index) {
    deviceIndex_ = std::clamp(index, 0, kMaxDeviceIndex);
}

Json::Value CBasicProfiledata::ReadEntry(const std::filesystem::path& path) {
    JsonDocument file = ReadJsonDocument(path);
    if (DeviceEntry(file.value, deviceIndex_).isObject())
        return std::move(file.value["Device"][Json::ArrayIndex(deviceIndex_)]);

    Json::Value fallback = DeviceEntry(ReadJsonFile(defaultProfilePath_), deviceIndex_);
    if (!fallback.isObject()) fallback = Json::Value();
    bool usable = file.state == FileState::Missing ||
                  (file.state == FileState::Parsed && HoldsArrayOrNothing(file.value, "Device"));
    if (!usable) {
        // Keep the bad file for the user to look at; a later save replaces it.
        DebugPrintf("profile file unusable, defaults used in memory: %s\n", path.c_str());
    } else if (fallback.isObject()) {
        // A profile never saved is a copy of the model's defaults.
        SaveDeviceEntry(fallback, path);
    }
    return fallback;
}

Json::Value CBasicProfiledata::Load(const std::filesystem::path& path) {
    profile_ = ReadEntry(path);
    return profile_;
}

Json::Value CBasicProfiledata::LoadScratch(const std::filesystem::path& path) {
    scratch_ = ReadEntry(path);
    return scratch_;
}

bool CBasicProfiledata::Save() {
    return WriteEntry(profile_, profilePath_);
}

bool CBasicProfiledata::SaveDeviceEntry(const Json::Value& value,
                                        const std::filesystem::path& path) {
    Json::Value entry = value;
    return WriteEntry(entry, path);
}

bool CBasicProfiledata::SaveScratchTo(const std::filesystem::path& path) {
    return WriteEntry(scratch_, path);
}

bool CBasicProfiledata::WriteEntry(Json::Value& entry, const std::filesystem::path& path) {
    if (path.empty()) return false;
    std::optional<Json::Value> root = ReadForUpdate(path, "Device");
    if (!root) return false;
    // The entry is lent to the file's document for the write and taken back after
    // it, so a save makes no copy of the profile.
    Json::Value& slot = ArrayMember(*root, "Device")[Json::ArrayIndex(deviceIndex_)];
    slot.swap(entry);
    bool written = WriteJsonFile(path, *root);
    slot.swap(entry);
    return written;
}

bool CBasicProfiledata::WriteDocument(const Json::Value& value, const std::filesystem::path& path) {
    return WriteJsonFile(path, value);
}

Json::Value& CBasicProfiledata::WritableProfile() {
    if (!profile_.isObject()) profile_ = Json::Value(Json::objectValue);
    return profile_;
}

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& section = JsonMember(profile_, "LightInfo");
    lightInfo_ = section.isNull() ? fallbackLightInfo_ : ReadLightInfo(section);
    return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
    lightInfo_ = info;
    // The setter replaces the whole section, dropping keys it does not write.
    WriteLightInfo(info, WritableProfile()["LightInfo"] = Json::Value(Json::objectValue));
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    audioLightInfo_ = ReadAudioLightInfo(JsonMember(profile_, "AudioLightInfo"));
    return audioLightInfo_;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
    audioLightInfo_ = info;
    WriteAudioLightInfo(info, WritableProfile()["AudioLightInfo"] = Json::Value(Json::objectValue));
}

std::vector<LightInfo> CBasicProfiledata::GetLightList() {
    lightList_ = ReadArray(JsonMember(profile_, "LightList"), kMaxListEntries, ReadLightListEntry);
    return lightList_;
}

std::vector<LightStep> CBasicProfiledata::GetLightSteps() {
    lightSteps_.clear();
    int index = int(lightInfo_.selectItem) - builtInLightCount_;
    const Json::Value& effects = JsonElement(JsonMember(lightConfig_, "LightInfo"), deviceIndex_);
    std::string guid =
        index < 0 ? "" : JsonString(JsonElement(effects, std::size_t(index)), "Guid");
    std::string name = guid + ".light";
    if (guid.empty() || !IsBareFileName(name)) {
        if (!guid.empty()) DebugPrintf("light effect name refused: %s\n", guid.c_str());
        return lightSteps_;
    }
    std::vector<std::filesystem::path> folders = lightStepFolders_;
    if (folders.empty()) folders.emplace_back(".");
    for (const auto& folder : folders) {
        JsonDocument file = ReadJsonDocument(folder / name);
        if (file.state == FileState::Missing) continue;
        if (file.state != FileState::Parsed) damagedLightFile_ = (folder / name).string();
        lightSteps_ =
            ReadArray(JsonMember(file.value, "LEDEffectList"), kMaxListEntries, ReadLightStep);
        break;
    }
    return lightSteps_;
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
    keyList_ = ReadKeyList(profile_);
    return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
    keyList_ = list;
    WriteKeyList(list, WritableProfile());
}

std::vector<KeyListEntry> CBasicProfiledata::GetScratchKeyList() {
    scratchKeyList_ = ReadKeyList(scratch_);
    return scratchKeyList_;
}

void CBasicProfiledata::SetScratchKeyList(const std::vector<KeyListEntry>& list) {
    scratchKeyList_ = list;
    if (!scratch_.isObject()) scratch_ = Json::Value(Json::objectValue);
    WriteKeyList(list, scratch_);
}

}  // namespace vivori::profiles
