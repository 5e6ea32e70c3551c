#pragma once

#include <map>
#include <string>
#include <string_view>

#include "ui/core/CControlUI.h"

namespace vivori::panels {

// A panel's controls, looked up by name under the panel on first use and kept.
class PanelControls {
  public:
    explicit PanelControls(ui::CControlUI& panel) : panel_(panel) {}
    ui::CControlUI* Find(std::string_view name);
    // Find(prefix + index), the name formed with "%s%d".
    ui::CControlUI* Find(std::string_view prefix, int index);
    template <typename T>
    T* As(std::string_view name, const char* interfaceName) {
        ui::CControlUI* c = Find(name);
        return c ? static_cast<T*>(c->GetInterface(interfaceName)) : nullptr;
    }

  private:
    ui::CControlUI& panel_;
    std::map<std::string, ui::CControlUI*, std::less<>> cache_;
};

// Selects option `selected` of the options prefix + first .. prefix + last and unselects
// the others, without notifications; an index outside the range unselects all.
void SelectOneOption(PanelControls& controls, std::string_view prefix, int first, int last,
                     int selected);

}  // namespace vivori::panels
