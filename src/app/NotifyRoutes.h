#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vivori::app {

// A control name of a numbered family: "color_option_3" is "color_option_" and 3.
struct IndexedName {
    std::string prefix;
    int index = 0;
};
// Splits at the last "_"; nullopt when there is none. A tail that is not a decimal
// number gives 0.
std::optional<IndexedName> SplitIndexedName(std::string_view name);

// Where one notification goes: the named handler and, for numbered families, the index.
struct Route {
    std::string_view handler;
    int index = -1;
    bool operator==(const Route&) const = default;
};

// The routing of the main window's notifications by type and sender name: which
// handler each name reaches. The window binds the handlers; the table is data.
class NotifyRoutes {
  public:
    // Every handler the notification reaches, in order; empty when none.
    static std::vector<Route> Resolve(std::string_view type, std::string_view name);
    // Types that end the routing without the toolkit's own handling.
    static bool EndsRouting(std::string_view type);
    // Every handler name the table knows.
    static std::vector<std::string_view> Handlers();
};

}  // namespace vivori::app
