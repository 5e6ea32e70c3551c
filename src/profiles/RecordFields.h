#pragma once

// The JSON keys of each profile record, read with the type-checked getters and
// written as integers (booleans included).

#include <json/json.h>

#include "profiles/ProfileRecords.h"

namespace vivori::profiles {

LightInfo ReadLightInfo(const Json::Value& section);
void WriteLightInfo(const LightInfo& info, Json::Value& section);

// A "LightList" element; the present flag is set unless the element is null.
LightInfo ReadLightListEntry(const Json::Value& element);
LightStep ReadLightStep(const Json::Value& element);

AudioLightInfo ReadAudioLightInfo(const Json::Value& section);
void WriteAudioLightInfo(const AudioLightInfo& info, Json::Value& section);

KeyboardSystemStages ReadKeyboardSystemStages(const Json::Value& section);
void WriteKeyboardSystemStages(const KeyboardSystemStages& stages, Json::Value& section);

RgbaColor ReadRgbaColor(const Json::Value& element);
void WriteRgbaColor(const RgbaColor& color, Json::Value& element);

DpiStage ReadDpiStage(const Json::Value& element);
void WriteDpiStage(const DpiStage& stage, Json::Value& element);

// "SystemStages" and "ReportStages" of a mouse profile object.
MouseSystemStages ReadMouseSystemStages(const Json::Value& profile);
void WriteMouseSystemStages(const MouseSystemStages& stages, Json::Value& profile);

CorrectInfoEntry ReadCorrectInfoEntry(const Json::Value& element);

SystemSetStages ReadSystemSetStages(const Json::Value& section);
void WriteSystemSetStages(const SystemSetStages& stages, Json::Value& section);

}  // namespace vivori::profiles
