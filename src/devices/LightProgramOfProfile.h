#pragma once

#include <vector>

#include "devices/LightRecords.h"
#include "lighting/LightProgram.h"
#include "profiles/ProfileRecords.h"

namespace vivori::devices {

// A device's light parameters as the lighting effects take them.
lighting::LightSettings SettingsOf(const LightParameters& p);
// The profile's custom step program and light list as the lighting program plays them.
std::vector<lighting::ProgramStep> ProgramStepsOf(const std::vector<profiles::LightStep>& steps);
std::vector<lighting::LedRecord> LedRecordsOf(const std::vector<profiles::LightInfo>& list);

}  // namespace vivori::devices
