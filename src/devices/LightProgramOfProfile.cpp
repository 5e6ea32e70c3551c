#include "devices/LightProgramOfProfile.h"

namespace vivori::devices {

lighting::LightSettings SettingsOf(const LightParameters& p) {
    lighting::LightSettings s;
    s.mode = p.mode;
    s.brightness = p.brightness;
    s.speed = p.speed;
    s.direction = p.direction;
    s.colourful = p.colourful != 0;
    s.colour = {p.red, p.green, p.blue};
    return s;
}

std::vector<lighting::ProgramStep> ProgramStepsOf(const std::vector<profiles::LightStep>& steps) {
    std::vector<lighting::ProgramStep> out;
    for (const profiles::LightStep& step : steps) {
        const profiles::LightInfo& l = step.light;
        out.push_back({.type = l.selectItem,
                       .light = l.light,
                       .speed = l.speed,
                       .fx = l.fx,
                       .multiColour = l.multiColor != 0,
                       .colour = {l.red, l.green, l.blue},
                       .timeMs = step.time});
    }
    return out;
}

std::vector<lighting::LedRecord> LedRecordsOf(const std::vector<profiles::LightInfo>& list) {
    std::vector<lighting::LedRecord> out;
    for (const profiles::LightInfo& l : list)
        out.push_back({.pattern = l.selectItem,
                       .light = l.light,
                       .speed = l.speed,
                       .fx = l.fx,
                       .multiColour = l.multiColor != 0,
                       .colour = {l.red, l.green, l.blue},
                       .present = l.present != 0});
    return out;
}

}  // namespace vivori::devices
