#pragma once

#include <functional>

#include "app/CDeviceOptionUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::app {

// The device selector of the main window: the container "device_select_layout"
// holds one entry per device page, and an entry's position there is its index.
// Showing and selecting an entry shows its page and power display; with no entry
// shown the window shows its "No_device_Link" notice.
class DeviceSelector {
  public:
    struct Hooks {
        // How many entries are shown now, after every change (same-mode permission).
        std::function<void(int shown)> shownChanged;
        // The shown and selected entry is about to go.
        std::function<void()> leavingSelected;
    };

    DeviceSelector(ui::CPaintManagerUI& manager, Hooks hooks);

    CDeviceOptionUI* Entry(int index) const;
    int Count() const;
    int ShownCount() const;
    // The shown entry whose "device_select" is selected; -1 when none.
    int SelectedIndex() const;

    void Show(int index, bool show, bool select);
    void Remove(int index);
    // The nearest shown entry before (step -1) or after (step 1) the selected one
    // becomes shown and selected; false when there is none.
    bool Step(int step);

  private:
    ui::CContainerUI* Layout() const;
    bool SelectPages(CDeviceOptionUI& entry);
    void AfterChange();

    ui::CPaintManagerUI& manager_;
    Hooks hooks_;
};

}  // namespace vivori::app
