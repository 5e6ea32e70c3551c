#pragma once

#include <gtest/gtest.h>

#include "lighting/LightEngine.h"

namespace vivori::testing {

using lighting::LedColour;
using lighting::LightEngine;
using lighting::LightSettings;

// An engine started in one mode at full brightness, speed 4, forward, red.
inline LightSettings SettingsFor(int mode, bool colourful = true) {
    LightSettings s;
    s.mode = mode;
    s.brightness = 4;
    s.speed = 4;
    s.direction = 1;
    s.colourful = colourful;
    s.colour = {255, 0, 0};
    return s;
}

inline void Steps(LightEngine& engine, int n) {
    for (int i = 0; i < n; ++i) engine.Step(0);
}

}  // namespace vivori::testing
