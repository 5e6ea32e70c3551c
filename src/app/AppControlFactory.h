#pragma once

#include <memory>
#include <string_view>

#include "platform/hid/HidBus.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::app {

// The main window's control factory: the device objects and custom controls the
// layouts name, and the panels built from their own layout files. Panels whose
// classes are not written yet come as plain toolkit containers of the same shape, so
// the pages lay out; they do nothing of their own.
class AppControlFactory {
  public:
    // bus: what device objects talk to (null: the process default bus). first: tried
    // before the table (tests put their device kinds there).
    AppControlFactory(ui::CPaintManagerUI* manager, std::shared_ptr<hid::HidBus> bus,
                      ui::ControlFactoryCallback first = {});

    ui::CControlUI* Create(std::string_view name) const;

  private:
    ui::CControlUI* BuildPanel(std::string_view layoutFile) const;

    ui::CPaintManagerUI* manager_;
    std::shared_ptr<hid::HidBus> bus_;
    ui::ControlFactoryCallback first_;
};

}  // namespace vivori::app
