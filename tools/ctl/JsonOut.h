#pragma once

// Pieces of the --json documents that several commands print alike.

#include <cstddef>
#include <cstdint>

#include "devices/LightRecords.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {

// Bytes as an array of numbers.
Json::Value BytesJson(const uint8_t* bytes, size_t length);
// {"mode", "brightness", "speed", "direction", "colourful", "colour": "rrggbb"}.
Json::Value LightJson(const devices::LightParameters& light);

}  // namespace vivori::ctl
