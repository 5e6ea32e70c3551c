#pragma once

#include <vector>

#include "devices/LightRecords.h"
#include "lighting/LightProgram.h"
#include "profiles/CBasicProfiledata.h"

namespace vivori::devices {

// A profile's "LightInfo" as a device's light parameters, and back (the fields the
// parameters do not hold are kept from `info`).
LightParameters ParametersOf(const profiles::LightInfo& info);
profiles::LightInfo LightInfoOf(const LightParameters& p, profiles::LightInfo info);
lighting::LightSettings SettingsOf(const LightParameters& p);

// The profile's custom step program and its per-LED light list, as the lighting
// layer plays them.
std::vector<lighting::ProgramStep> ProgramStepsOf(profiles::CBasicProfiledata& profile);
std::vector<lighting::LedRecord> LedRecordsOf(profiles::CBasicProfiledata& profile);

}  // namespace vivori::devices
