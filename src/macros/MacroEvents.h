#pragma once

#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/MacroImage.h"

namespace vivori::macros {

inline constexpr uint8_t kTypeMouseButton = 1;
inline constexpr uint8_t kTypeMoveHorizontal = 4;
inline constexpr uint8_t kTypeMoveVertical = 5;
inline constexpr uint8_t kTypeModifier = 9;
inline constexpr uint8_t kTypeKey = 10;

// Reads one event object of a macro file ("Action", "Type", "Button", "Delay").
// Values the device record cannot hold are clamped (Type to 0..127, since bit 7 is
// the press flag; Button to 0..255; Delay to 0..65535) and each clamp is described in
// problems when given.
MacroEvent ReadMacroEvent(const Json::Value& event, std::vector<std::string>* problems = nullptr);

// The 4-byte device event record of one event object.
std::array<uint8_t, 4> EventRecord(const Json::Value& event);

// Every event of a macro document's "Events" array; non-objects are skipped.
std::vector<MacroEvent> ReadMacroEvents(const Json::Value& document);

// Checks an imported event file's document: an object whose "Events" is a list of event
// objects. Values a device record cannot hold are clamped in `fixed` (a copy of the
// document; "Delay" written back as a string or as an integer, as the file kind keeps
// it) and each change is described in notes. The reason, for the user, when the
// document is no such file (`what` names the kind: "macro file").
std::optional<std::string> CheckEventDocument(const Json::Value& doc, const std::string& what,
                                              bool delayAsString, Json::Value& fixed,
                                              std::vector<std::string>& notes);

// An event object as the macro files store it: "Delay" as a decimal string.
Json::Value MakeEventObject(bool press, uint8_t type, uint8_t button, uint16_t delay);

}  // namespace vivori::macros
