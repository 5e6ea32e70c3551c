#include "profiles/CKeyboardProfiledata.h"

#include <algorithm>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/RecordFields.h"

namespace vivori::profiles {
namespace {

bool GroupInRange(int group) {
    return group >= 0 && group < kMaxCustomLightGroups;
}

}  // namespace

KeyboardSystemStages CKeyboardProfiledata::GetSystemStages() {
    systemStages_ = ReadKeyboardSystemStages(JsonMember(Document(), "SystemStages"));
    return systemStages_;
}

void CKeyboardProfiledata::SetSystemStages(const KeyboardSystemStages& stages) {
    systemStages_ = stages;
    WriteKeyboardSystemStages(stages, ObjectMember(WritableProfile(), "SystemStages"));
}

Json::Value& CKeyboardProfiledata::ColorGroups() {
    return ArrayMember(ObjectMember(WritableProfile(), "CustomLightMode"), "LightColorInfo");
}

std::vector<RgbaColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    count = std::clamp(count, 0, int(kMaxListEntries));
    customColors_.assign(std::size_t(count), RgbaColor{});
    if (!GroupInRange(group)) {
        DebugPrintf("custom light group %d out of range\n", group);
        return customColors_;
    }
    const Json::Value& stored =
        JsonElement(JsonMember(JsonMember(Document(), "CustomLightMode"), "LightColorInfo"),
                    std::size_t(group));
    bool fill = false;
    for (int i = 0; i < count; ++i) {
        const Json::Value& element = JsonElement(stored, std::size_t(i));
        if (element.isObject()) customColors_[std::size_t(i)] = ReadRgbaColor(element);
        fill = fill || !element.isObject();
    }
    if (!fill) return customColors_;
    // Store zeros where colours are missing, keeping those that are there.
    Json::Value& colors = ArrayElement(ColorGroups(), Json::ArrayIndex(group));
    for (int i = 0; i < count; ++i) {
        Json::Value& element = colors[Json::ArrayIndex(i)];
        if (!element.isObject()) WriteRgbaColor(RgbaColor{}, element);
    }
    return customColors_;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<RgbaColor>& colors, int group) {
    customColors_ = colors;
    if (!GroupInRange(group)) {
        DebugPrintf("custom light group %d out of range\n", group);
        return;
    }
    Json::Value& stored = ArrayElement(ColorGroups(), Json::ArrayIndex(group));
    for (std::size_t i = 0; i < colors.size(); ++i)
        WriteRgbaColor(colors[i], ObjectElement(stored, Json::ArrayIndex(i)));
}

int CKeyboardProfiledata::GetCustomLightGroup() {
    int group = JsonInt(JsonMember(Document(), "CustomLightMode"), "CustomLightModeGroupIndex", 0);
    return GroupInRange(group) ? group : 0;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
    ObjectMember(WritableProfile(), "CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

}  // namespace vivori::profiles
