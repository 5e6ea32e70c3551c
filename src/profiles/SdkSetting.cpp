#include "profiles/SdkSetting.h"

#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

namespace vivori::profiles {

namespace {
constexpr const char* kKey = "SDK_SERVER";
constexpr size_t kLongestAddress = 64;
}  // namespace

SdkServerSetting ReadSdkServerSetting(const DataFolders& folders) {
    SdkServerSetting setting;
    const Json::Value document = ReadJsonFile(folders.SettingsFolder() / "settings.json");
    const Json::Value& stored = JsonMember(document, kKey);
    if (!stored.isObject()) return setting;
    const Json::Value& enabled = JsonMember(stored, "enabled");
    if (enabled.isBool()) setting.enabled = enabled.asBool();
    if (auto port = AsInt64(JsonMember(stored, "port")); port && *port > 0 && *port <= 0xFFFF)
        setting.port = uint16_t(*port);
    const Json::Value& address = JsonMember(stored, "address");
    if (address.isString() && !address.asString().empty() &&
        address.asString().size() <= kLongestAddress)
        setting.address = address.asString();
    return setting;
}

bool WriteSdkServerSetting(const DataFolders& folders, const SdkServerSetting& setting) {
    Json::Value value(Json::objectValue);
    value["enabled"] = setting.enabled;
    value["address"] = setting.address;
    value["port"] = int(setting.port);
    return SaveJsonMember(folders.SettingsFolder() / "settings.json", kKey, value);
}

}  // namespace vivori::profiles
