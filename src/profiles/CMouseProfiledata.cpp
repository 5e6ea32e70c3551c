#include "profiles/CMouseProfiledata.h"

#include <algorithm>

#include "profiles/JsonFile.h"
#include "profiles/RecordFields.h"

namespace vivori::profiles {

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& section = JsonMember(Document(), "DPIStages");
    activeDpiStage_ = JsonInt(section, "StageActive", 0);
    auto stored = ReadArray(JsonMember(section, "StageDPIs"), kMaxListEntries, ReadDpiStage);
    if (dpiStages_.size() < stored.size()) dpiStages_.resize(stored.size());
    std::copy(stored.begin(), stored.end(), dpiStages_.begin());
    return dpiStages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    Json::Value& stored = ArrayMember(ObjectMember(WritableProfile(), "DPIStages"), "StageDPIs");
    for (std::size_t i = 0; i < stages.size(); ++i)
        WriteDpiStage(stages[i], ObjectElement(stored, Json::ArrayIndex(i)));
}

void CMouseProfiledata::SetActiveDpiStage(int stage) {
    activeDpiStage_ = stage;
    ObjectMember(WritableProfile(), "DPIStages")["StageActive"] = stage;
}

MouseSystemStages CMouseProfiledata::GetSystemStages() {
    systemStages_ = ReadMouseSystemStages(Document());
    return systemStages_;
}

void CMouseProfiledata::SetSystemStages(const MouseSystemStages& stages) {
    systemStages_ = stages;
    WriteMouseSystemStages(stages, WritableProfile());
}

std::vector<CorrectInfoEntry> CMouseProfiledata::GetCorrectInfo() {
    correctInfo_ =
        ReadArray(JsonMember(Document(), "CorrectInfo"), kMaxListEntries, ReadCorrectInfoEntry);
    return correctInfo_;
}

}  // namespace vivori::profiles
