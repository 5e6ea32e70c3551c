#include "profiles/RecordFields.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <variant>

#include "profiles/JsonFile.h"

namespace vivori::profiles {
namespace {

// One stored key of a record: the member it fills and whether it is read as a flag.
template <class Record>
struct Field {
    const char* key;
    std::variant<std::uint8_t Record::*, std::uint16_t Record::*, std::int32_t Record::*> member;
    bool flag = false;
};

template <class Record, std::size_t N>
using Fields = const Field<Record> (&)[N];

template <class Record, std::size_t N>
void ReadFields(const Json::Value& section, Fields<Record, N> fields, Record& record) {
    for (const auto& f : fields) {
        const Json::Value& v = JsonMember(section, f.key);
        const std::int64_t n = f.flag ? std::int64_t(AsBool(v, false)) : AsInt64(v).value_or(0);
        std::visit(
            [&](auto member) {
                using Type = std::remove_reference_t<decltype(record.*member)>;
                // Byte and 16-bit fields keep the low bits of the stored number, as
                // they always have; 32-bit fields take the nearest value they can hold.
                if constexpr (std::is_same_v<Type, std::int32_t>)
                    record.*member = std::int32_t(
                        std::clamp<std::int64_t>(n, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
                else
                    record.*member = Type(n);
            },
            f.member);
    }
}

template <class Record, std::size_t N>
void WriteFields(const Record& record, Fields<Record, N> fields, Json::Value& section) {
    if (!section.isObject()) section = Json::Value(Json::objectValue);
    for (const auto& f : fields)
        std::visit([&](auto member) { section[f.key] = Json::Int(record.*member); }, f.member);
}

const Field<LightInfo> kLightInfoFields[] = {{"SelectItem", &LightInfo::selectItem},
                                             {"Light", &LightInfo::light},
                                             {"Speed", &LightInfo::speed},
                                             {"Fx", &LightInfo::fx},
                                             {"MultiColor", &LightInfo::multiColor, true},
                                             {"Red", &LightInfo::red},
                                             {"Green", &LightInfo::green},
                                             {"Blue", &LightInfo::blue},
                                             {"ZZCCLedMode", &LightInfo::zzccLedMode},
                                             {"CustomGroup", &LightInfo::customGroup},
                                             {"OldLedmode", &LightInfo::oldLedMode}};

// "LightList" elements and light steps spell the same fields differently.
const Field<LightInfo> kLedFields[] = {{"LEDREGMode", &LightInfo::selectItem},
                                       {"LEDBrightness", &LightInfo::light},
                                       {"LEDSpeed", &LightInfo::speed},
                                       {"LEDDirection", &LightInfo::fx, true},
                                       {"LEDMultiColor", &LightInfo::multiColor, true},
                                       {"red", &LightInfo::red},
                                       {"green", &LightInfo::green},
                                       {"blue", &LightInfo::blue}};

const Field<AudioLightInfo> kAudioLightFields[] = {
    {"AudioMode", &AudioLightInfo::audioMode},
    {"BkColorR", &AudioLightInfo::backgroundRed},
    {"BkColorG", &AudioLightInfo::backgroundGreen},
    {"BkColorB", &AudioLightInfo::backgroundBlue},
    {"FgColorR", &AudioLightInfo::foregroundRed},
    {"FgColorG", &AudioLightInfo::foregroundGreen},
    {"FgColorB", &AudioLightInfo::foregroundBlue},
    {"7ColorFlags", &AudioLightInfo::sevenColorFlag, true},
    {"ColorTypeFlags", &AudioLightInfo::colorTypeFlag, true}};

const Field<KeyboardSystemStages> kKeyboardStageFields[] = {
    {"Repeat", &KeyboardSystemStages::repeat},
    {"RepeatDelay", &KeyboardSystemStages::repeatDelay},
    {"Key6Flag", &KeyboardSystemStages::key6Flag},
    {"PollingRate", &KeyboardSystemStages::pollingRate},
    {"WFlag", &KeyboardSystemStages::wFlag},
    {"WinFlag", &KeyboardSystemStages::winFlag}};

const Field<RgbaColor> kRgbaFields[] = {{"Red", &RgbaColor::red},
                                        {"Green", &RgbaColor::green},
                                        {"Blue", &RgbaColor::blue},
                                        {"Alpha", &RgbaColor::alpha}};

const Field<DpiStage> kDpiStageFields[] = {
    {"StageActive", &DpiStage::stageActive}, {"StageXY", &DpiStage::stageXY},
    {"StageDPIX", &DpiStage::dpiX},          {"StageDPIY", &DpiStage::dpiY},
    {"StageColorR", &DpiStage::red},         {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue}};

const Field<MouseSystemStages> kMouseStageFields[] = {
    {"DoubleClickTime", &MouseSystemStages::doubleClickTime},
    {"MouseSpeed", &MouseSystemStages::mouseSpeed},
    {"PointerPrecision", &MouseSystemStages::pointerPrecision},
    {"ScorllPage", &MouseSystemStages::scrollPage},
    {"WheelScorlllinse", &MouseSystemStages::wheelScrollLines}};

const Field<CorrectInfoEntry> kCorrectFields[] = {
    {"CorrectPixThresh", &CorrectInfoEntry::pixelThreshold},
    {"CorrectMinSq", &CorrectInfoEntry::minSquare},
    {"CorrectSelect", &CorrectInfoEntry::select}};

const Field<SystemSetStages> kSystemSetFields[] = {
    {"MagicEnable", &SystemSetStages::magicEnable},
    {"MagicType", &SystemSetStages::magicType},
    {"EqType", &SystemSetStages::eqType},
    {"CustomEqSeletIndex", &SystemSetStages::customEqSelectIndex},
    {"MicInSelect", &SystemSetStages::micInSelect},
    {"MicInValue", &SystemSetStages::micInValue},
    {"MicMoniterSelect", &SystemSetStages::micMonitorSelect},
    {"MicMoniterValue", &SystemSetStages::micMonitorValue}};

template <class Record, std::size_t N>
Record Read(const Json::Value& section, Fields<Record, N> fields) {
    Record record;
    ReadFields(section, fields, record);
    return record;
}

}  // namespace

LightInfo ReadLightInfo(const Json::Value& section) {
    return Read(section, kLightInfoFields);
}
void WriteLightInfo(const LightInfo& info, Json::Value& section) {
    WriteFields(info, kLightInfoFields, section);
}

LightInfo ReadLightListEntry(const Json::Value& element) {
    LightInfo info = Read(element, kLedFields);
    info.present = element.isNull() ? 0 : 1;
    return info;
}

LightStep ReadLightStep(const Json::Value& element) {
    LightStep step;
    step.light = Read(element, kLedFields);
    step.time = JsonInt(element, "Time", 0);
    step.cycle = JsonInt(element, "Cyle", 0);
    return step;
}

AudioLightInfo ReadAudioLightInfo(const Json::Value& section) {
    return Read(section, kAudioLightFields);
}
void WriteAudioLightInfo(const AudioLightInfo& info, Json::Value& section) {
    WriteFields(info, kAudioLightFields, section);
}

KeyboardSystemStages ReadKeyboardSystemStages(const Json::Value& section) {
    return Read(section, kKeyboardStageFields);
}
void WriteKeyboardSystemStages(const KeyboardSystemStages& stages, Json::Value& section) {
    WriteFields(stages, kKeyboardStageFields, section);
}

RgbaColor ReadRgbaColor(const Json::Value& element) {
    return Read(element, kRgbaFields);
}
void WriteRgbaColor(const RgbaColor& color, Json::Value& element) {
    WriteFields(color, kRgbaFields, element);
}

DpiStage ReadDpiStage(const Json::Value& element) {
    return Read(element, kDpiStageFields);
}
void WriteDpiStage(const DpiStage& stage, Json::Value& element) {
    WriteFields(stage, kDpiStageFields, element);
}

MouseSystemStages ReadMouseSystemStages(const Json::Value& profile) {
    MouseSystemStages stages = Read(JsonMember(profile, "SystemStages"), kMouseStageFields);
    stages.reportRate =
        std::uint16_t(JsonInt64(JsonMember(profile, "ReportStages"), "StageActive", 0));
    return stages;
}
void WriteMouseSystemStages(const MouseSystemStages& stages, Json::Value& profile) {
    WriteFields(stages, kMouseStageFields, ObjectMember(profile, "SystemStages"));
    ObjectMember(profile, "ReportStages")["StageActive"] = Json::Int(stages.reportRate);
}

CorrectInfoEntry ReadCorrectInfoEntry(const Json::Value& element) {
    CorrectInfoEntry entry = Read(element, kCorrectFields);
    entry.name = JsonString(element, "CorrectName");
    return entry;
}

SystemSetStages ReadSystemSetStages(const Json::Value& section) {
    return Read(section, kSystemSetFields);
}
void WriteSystemSetStages(const SystemSetStages& stages, Json::Value& section) {
    WriteFields(stages, kSystemSetFields, section);
}

}  // namespace vivori::profiles
