#pragma once

// Whether other lighting programs may drive the devices, on which address and port:
// member "SDK_SERVER" of "settings.json" in the settings folder.
#include <cstdint>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::profiles {

struct SdkServerSetting {
    bool enabled = false;
    std::string address = "127.0.0.1";
    uint16_t port = 6742;
    bool operator==(const SdkServerSetting&) const = default;
};

// The stored setting; the defaults for what is missing or out of range.
SdkServerSetting ReadSdkServerSetting(const DataFolders& folders);
bool WriteSdkServerSetting(const DataFolders& folders, const SdkServerSetting& setting);

}  // namespace vivori::profiles
