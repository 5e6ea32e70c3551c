#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vivori::ui {

class CControlUI;
class CPaintManagerUI;

// Creates the control for an element name the standard set does not know, or null.
using ControlFactoryCallback = std::function<CControlUI*(std::string_view name)>;

// Builds a control tree from an XML layout: a file under the resource folder, a
// resource name of "res.xml", or the XML text itself. The root "Window" element sets
// the window's size, caption, fonts, default attributes and styles; "Include" elements
// pull in other layout files. Unknown elements are skipped with a debug line.
class CDialogBuilder {
  public:
    CControlUI* Create(std::string_view layout, const ControlFactoryCallback& callback = {},
                       CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Why the last Create failed, for diagnostics and tests.
    const std::string& GetLastError() const { return error_; }

  private:
    std::string error_;
};

}  // namespace vivori::ui
