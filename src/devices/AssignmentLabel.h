#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/ProfileRecords.h"

namespace vivori::devices {

// The translated text of a language key.
using TextOf = std::function<std::string(std::string_view key)>;

// What a key button shows for the assignment it carries: the text of the key, mouse,
// media, system or shortcut function, or the macro's name (macroNames by position).
// Nothing when the button keeps its label: types without a label of their own, and
// codes no row or name matches.
std::optional<std::string> AssignmentLabel(const profiles::KeyAssign& assign, const TextOf& text,
                                           const std::vector<std::string>& macroNames);

}  // namespace vivori::devices
