#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/UiEvent.h"

namespace vivori::ui {

// Routes notifications to handlers registered by type, or by type and control name,
// and to named virtual windows: a notification whose sender (or an ancestor) names a
// virtual window goes to the pump registered under that name.
class CNotifyPump {
  public:
    using Handler = std::function<void(TNotifyUI&)>;

    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(std::string_view name, CNotifyPump* pump);
    bool RemoveVirtualWnd(std::string_view name);
    // Registers a handler for a type ("click") or for a type and a control name.
    void OnNotify(std::string_view type, Handler handler);
    void OnNotify(std::string_view type, std::string_view controlName, Handler handler);
    // Delivers to the virtual window or to this pump's own handlers; true when one ran.
    bool NotifyPump(TNotifyUI& msg);

  protected:
    bool LoopDispatch(TNotifyUI& msg);

  private:
    struct Entry {
        std::string type;
        std::string name;  // lower case; empty for any control
        Handler handler;
    };
    std::map<std::string, CNotifyPump*> virtualWnds_;
    std::vector<Entry> entries_;
};

}  // namespace vivori::ui
