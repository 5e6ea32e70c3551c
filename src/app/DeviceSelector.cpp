#include "app/DeviceSelector.h"

#include "ui/core/CContainerUI.h"
#include "ui/core/CTabLayoutUI.h"

namespace vivori::app {
namespace {

ui::CTabLayoutUI* Tabs(ui::CPaintManagerUI& manager, std::string_view name) {
    ui::CControlUI* control = name.empty() ? nullptr : manager.FindControl(name);
    return control ? static_cast<ui::CTabLayoutUI*>(control->GetInterface("TabLayout")) : nullptr;
}

}  // namespace

DeviceSelector::DeviceSelector(ui::CPaintManagerUI& manager, Hooks hooks)
    : manager_(manager), hooks_(std::move(hooks)) {}

ui::CContainerUI* DeviceSelector::Layout() const {
    ui::CControlUI* control = manager_.FindControl("device_select_layout");
    return control ? static_cast<ui::CContainerUI*>(control->GetInterface("Container")) : nullptr;
}

CDeviceOptionUI* DeviceSelector::Entry(int index) const {
    ui::CContainerUI* layout = Layout();
    ui::CControlUI* item = layout ? layout->GetItemAt(index) : nullptr;
    return item ? static_cast<CDeviceOptionUI*>(item->GetInterface("DeviceOption")) : nullptr;
}

int DeviceSelector::Count() const {
    ui::CContainerUI* layout = Layout();
    return layout ? layout->GetCount() : 0;
}

int DeviceSelector::ShownCount() const {
    int shown = 0;
    for (int i = 0; i < Count(); ++i)
        if (CDeviceOptionUI* entry = Entry(i); entry && entry->IsOwnVisible()) ++shown;
    return shown;
}

int DeviceSelector::SelectedIndex() const {
    for (int i = 0; i < Count(); ++i)
        if (CDeviceOptionUI* entry = Entry(i);
            entry && entry->IsOwnVisible() && entry->IsSelected())
            return i;
    return -1;
}

bool DeviceSelector::SelectPages(CDeviceOptionUI& entry) {
    ui::CTabLayoutUI* pages = Tabs(manager_, entry.TabName());
    const int page = entry.TabIndex();
    if (pages == nullptr || page < 0) return false;
    pages->SelectItem(page);
    ui::CTabLayoutUI* power = Tabs(manager_, entry.PowerTabName());
    if (power == nullptr) return false;
    const int powerIndex = entry.PowerIndex();
    power->SetVisible(powerIndex >= 0);
    if (powerIndex >= 0) power->SelectItem(powerIndex);
    return true;
}

void DeviceSelector::Show(int index, bool show, bool select) {
    if (CDeviceOptionUI* entry = Entry(index)) {
        entry->SetVisible(show);
        if (!select || SelectPages(*entry)) {
            if (ui::COptionUI* option = entry->SelectOption()) option->Selected(select, false);
            // One selected entry at a time: the options share no group.
            for (int i = 0; select && i < Count(); ++i)
                if (CDeviceOptionUI* other = Entry(i); other && i != index)
                    if (ui::COptionUI* option = other->SelectOption())
                        option->Selected(false, false);
            // Its page comes into view: its light clock runs again.
            if (select && show) entry->OnWindowShown();
        }
    }
    AfterChange();
}

void DeviceSelector::AfterChange() {
    int shown = 0;
    int synchro = 0;
    for (int i = 0; i < Count(); ++i) {
        CDeviceOptionUI* entry = Entry(i);
        if (entry == nullptr || !entry->IsOwnVisible()) continue;
        ++shown;
        if (ui::COptionUI* option = entry->SynchroOption(); option && option->IsSelected())
            ++synchro;
    }
    if (ui::CControlUI* notice = manager_.FindControl("No_device_Link"))
        notice->SetVisible(shown == 0);
    if (shown == 0) {
        if (ui::CTabLayoutUI* power = Tabs(manager_, "device_power_switch")) power->SelectItem(0);
        if (ui::CTabLayoutUI* pages = Tabs(manager_, "device_switch")) pages->SelectItem(0);
    }
    if (hooks_.shownChanged) hooks_.shownChanged(shown);
    // Synchronised lighting needs two devices taking part.
    if (synchro < 2)
        for (int i = 0; i < Count(); ++i)
            if (CDeviceOptionUI* entry = Entry(i)) entry->SetSynchroSelected(false);
}

void DeviceSelector::Remove(int index) {
    CDeviceOptionUI* entry = Entry(index);
    if (index < 0 || entry == nullptr) return;
    int other = -1;
    if (entry->IsOwnVisible() && entry->IsSelected()) {
        if (hooks_.leavingSelected) hooks_.leavingSelected();
        for (int i = 0; i < Count() && other < 0; ++i)
            if (CDeviceOptionUI* candidate = Entry(i);
                i != index && candidate && candidate->IsOwnVisible())
                other = i;
    }
    Show(index, false, false);
    if (other >= 0) Show(other, true, true);
}

bool DeviceSelector::Step(int step) {
    const int from = SelectedIndex();
    if (from < 0) return false;
    for (int i = from + step; i >= 0 && i < Count(); i += step) {
        if (CDeviceOptionUI* entry = Entry(i); entry && entry->IsOwnVisible()) {
            Show(i, true, true);
            return true;
        }
    }
    return false;
}

}  // namespace vivori::app
