#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace vivori::ui {

class CControlUI;

// Creates controls by class name for layouts: the standard controls by their element
// names ("Button", "VerticalLayout") and the classes registered by the program
// ("CDeviceOptionUI", reachable from a layout as "DeviceOption" too). Names compare
// without case.
class CControlFactory {
  public:
    using Creator = std::function<CControlUI*()>;

    static CControlFactory& GetInstance();
    void RegistControl(std::string_view className, Creator creator);
    // Null when the name is unknown.
    CControlUI* CreateControl(std::string_view name) const;

  private:
    CControlFactory();

    std::map<std::string, Creator> creators_;
};

}  // namespace vivori::ui
