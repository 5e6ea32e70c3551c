#include "devices/ProfileLighting.h"

namespace vivori::devices {

LightParameters ParametersOf(const profiles::LightInfo& info) {
    LightParameters p;
    p.mode = info.selectItem;
    p.brightness = info.light;
    p.speed = info.speed;
    p.direction = info.fx;
    p.colourful = info.multiColor;
    p.red = info.red;
    p.green = info.green;
    p.blue = info.blue;
    p.extra = info.zzccLedMode;
    p.colourBlock = info.customGroup;
    return p;
}

profiles::LightInfo LightInfoOf(const LightParameters& p, profiles::LightInfo info) {
    info.selectItem = p.mode;
    info.light = p.brightness;
    info.speed = p.speed;
    info.fx = p.direction;
    info.multiColor = p.colourful;
    info.red = p.red;
    info.green = p.green;
    info.blue = p.blue;
    info.zzccLedMode = static_cast<uint8_t>(p.extra);
    info.customGroup = static_cast<uint8_t>(p.colourBlock);
    return info;
}

lighting::LightSettings SettingsOf(const LightParameters& p) {
    lighting::LightSettings s;
    s.mode = p.mode;
    s.brightness = p.brightness;
    s.speed = p.speed;
    s.direction = p.direction;
    s.colourful = p.colourful != 0;
    s.colour = {p.red, p.green, p.blue};
    s.preset = static_cast<int>(p.extra);  // mode 17's colour preset
    return s;
}

std::vector<lighting::ProgramStep> ProgramStepsOf(profiles::CBasicProfiledata& profile) {
    std::vector<lighting::ProgramStep> steps;
    for (const profiles::LightStep& step : profile.GetLightSteps()) {
        const profiles::LightInfo& l = step.light;
        steps.push_back({.type = l.selectItem,
                         .light = l.light,
                         .speed = l.speed,
                         .fx = l.fx,
                         .multiColour = l.multiColor != 0,
                         .colour = {l.red, l.green, l.blue},
                         .timeMs = step.time});
    }
    return steps;
}

std::vector<lighting::LedRecord> LedRecordsOf(profiles::CBasicProfiledata& profile) {
    std::vector<lighting::LedRecord> records;
    for (const profiles::LightInfo& l : profile.GetLightList())
        records.push_back({.pattern = l.selectItem,
                           .light = l.light,
                           .speed = l.speed,
                           .fx = l.fx,
                           .multiColour = l.multiColor != 0,
                           .colour = {l.red, l.green, l.blue},
                           .present = l.present != 0});
    return records;
}

}  // namespace vivori::devices
