#include "profiles/CRi6533Profiledata.h"

#include <algorithm>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/RecordFields.h"

namespace vivori::profiles {
namespace {

constexpr const char* kPresetKey = "EQHzValueInfo";
constexpr const char* kCustomKey = "CustomEQHzValueInfo";

int PresetSlot(int eqType) {
    return eqType >= 1 && eqType <= 12 ? eqType : 1;
}
// Ten band values; a missing or mistyped one reads 0.
std::vector<std::int32_t> BandsOf(const Json::Value& bands) {
    std::vector<std::int32_t> values(kEqBands, 0);
    for (int i = 0; i < kEqBands; ++i)
        values[std::size_t(i)] = JsonInt(JsonElement(bands, std::size_t(i)), "value", 0);
    return values;
}
bool CustomInRange(int index) {
    return index >= 0 && index < kMaxCustomEqs;
}

}  // namespace

SystemSetStages CRi6533Profiledata::GetSystemSetStages() {
    systemSetStages_ = ReadSystemSetStages(JsonMember(Document(), "SystemSetStages"));
    return systemSetStages_;
}

void CRi6533Profiledata::SetSystemSetStages(const SystemSetStages& stages) {
    systemSetStages_ = stages;
    WriteSystemSetStages(stages, ObjectMember(WritableProfile(), "SystemSetStages"));
}

std::vector<std::int32_t> CRi6533Profiledata::ReadBands(const char* key, int slot) {
    const Json::Value& bands = JsonElement(JsonMember(Document(), key), std::size_t(slot));
    eqValues_ = BandsOf(bands);
    if (!bands.isArray()) WriteBands(key, slot, eqValues_);
    return eqValues_;
}

void CRi6533Profiledata::WriteBands(const char* key, int slot,
                                    const std::vector<std::int32_t>& values) {
    Json::Value& bands = ArrayElement(ArrayMember(WritableProfile(), key), Json::ArrayIndex(slot));
    std::size_t count = std::min<std::size_t>(values.size(), kEqBands);
    for (std::size_t i = 0; i < count; ++i)
        ObjectElement(bands, Json::ArrayIndex(i))["value"] = values[i];
}

std::vector<std::int32_t> CRi6533Profiledata::GetEqValues(int eqType) {
    if (eqType == kCustomEqType) return {};
    return ReadBands(kPresetKey, PresetSlot(eqType));
}

void CRi6533Profiledata::SetEqValues(const std::vector<std::int32_t>& values, int eqType) {
    if (eqType == kCustomEqType) return;
    eqValues_ = values;
    WriteBands(kPresetKey, PresetSlot(eqType), values);
}

std::vector<std::int32_t> CRi6533Profiledata::GetCustomEqValues(int index) {
    if (!CustomInRange(index)) {
        DebugPrintf("custom EQ index %d out of range\n", index);
        return std::vector<std::int32_t>(kEqBands, 0);
    }
    return ReadBands(kCustomKey, index);
}

void CRi6533Profiledata::SetCustomEqValues(const std::vector<std::int32_t>& values, int index) {
    eqValues_ = values;
    if (CustomInRange(index)) WriteBands(kCustomKey, index, values);
}

std::optional<std::vector<std::int32_t>> CRi6533Profiledata::GetUnnamedCustomEq() {
    const Json::Value& bands = JsonElement(JsonMember(Document(), kPresetKey), kCustomEqType);
    if (!bands.isArray()) return std::nullopt;
    return BandsOf(bands);
}

void CRi6533Profiledata::SetUnnamedCustomEq(const std::vector<std::int32_t>& values) {
    WriteBands(kPresetKey, kCustomEqType, values);
}

std::vector<std::string> CRi6533Profiledata::GetCustomEqNames() {
    return ReadArray(JsonMember(Document(), "CustomEQNameInfo"), kMaxListEntries,
                     [](const Json::Value& entry) { return JsonString(entry, "Name"); });
}

void CRi6533Profiledata::DeleteCustomEq(int index) {
    Json::Value& profile = WritableProfile();
    // Both lists lose the same entry, so every later name keeps its own band values.
    for (const char* key : {"CustomEQNameInfo", kCustomKey}) {
        Json::Value& list = profile[key];
        if (!list.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= list.size())
            continue;
        Json::Value removed;
        list.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    }
}

void CRi6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const auto& name : names) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = name;
        list.append(entry);
    }
    WritableProfile()["CustomEQNameInfo"] = list;
}

}  // namespace vivori::profiles
