#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/hid/HidBus.h"

// The path of the first command collection on a bus (a simulated device's cable).
inline std::string CommandPath(const std::shared_ptr<vivori::hid::HidBus>& bus) {
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    for (const auto& p : paths) {
        auto h = bus->Open(p, true, false);
        if (h && h->Collection().usagePage == 0xFF1C && h->Collection().usage == 0x92) return p;
    }
    return {};
}
