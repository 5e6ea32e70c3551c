#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/core/UiTypes.h"

namespace vivori::ui {

// Parsers for the attribute texts of layouts. Bad text never throws: numbers stop at
// the first character that is not a digit and are kept within plus or minus a million,
// colours without digits read as 0.
int ParseInt(std::string_view text);
bool ParseBool(std::string_view text);
UiColor ParseColor(std::string_view text);
UiRect ParseRect(std::string_view text);
UiSize ParseSize(std::string_view text);
std::string FormatColor(UiColor color);

// Splits an attribute list such as `name="a" width="10"` (quotes ' or ") into pairs.
// Stops at the first malformed pair.
template <typename Function>
void ForEachAttribute(std::string_view list, Function&& function);

std::optional<std::pair<std::string, std::string>> NextAttribute(std::string_view& list);

template <typename Function>
void ForEachAttribute(std::string_view list, Function&& function) {
    while (auto pair = NextAttribute(list)) function(pair->first, pair->second);
}

}  // namespace vivori::ui
