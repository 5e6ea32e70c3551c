#include "app/CDeviceOptionUI.h"

#include "devices/CQuorvaneUSBDevice.h"
#include "ui/core/CContainerUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::app {

void* CDeviceOptionUI::GetInterface(std::string_view name) {
    if (name == "DeviceOption") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CDeviceOptionUI::DoEvent(ui::TEventUI& event) {
    if (event.type == ui::UiEventType::Timer && event.key == kConnectionTimer) {
        if (device_ && device_->Commands().IsOpen()) {
            KillTimer(kConnectionTimer);
            device_->OnConnected();
        }
        return;
    }
    CHorizontalLayoutUI::DoEvent(event);
}

void CDeviceOptionUI::Bind(std::string tabName, ui::CControlUI* page, std::string powerTabName,
                           ui::CControlUI* power) {
    tabName_ = std::move(tabName);
    page_ = page;
    powerTabName_ = std::move(powerTabName);
    power_ = power;
}

int CDeviceOptionUI::IndexIn(ui::CControlUI* control, const std::string& tabName) {
    if (control == nullptr || control->GetParent() == nullptr) return -1;
    auto* parent = static_cast<ui::CContainerUI*>(control->GetParent()->GetInterface("Container"));
    if (parent == nullptr || !ui::EqualNoCase(control->GetParent()->GetName(), tabName)) return -1;
    return parent->GetItemIndex(control);
}

int CDeviceOptionUI::TabIndex() const {
    return IndexIn(page_, tabName_);
}

int CDeviceOptionUI::PowerIndex() const {
    return IndexIn(power_, powerTabName_);
}

void CDeviceOptionUI::SetDeviceType(int kind, int link) {
    kind_ = kind;
    link_ = link;
}

void CDeviceOptionUI::SetDeviceName(std::string_view name) {
    if (manager_ == nullptr) return;
    if (ui::CControlUI* label = manager_->FindSubControlByName(this, "device_select_name"))
        label->SetText(name);
}

ui::COptionUI* CDeviceOptionUI::Option(std::string_view name) const {
    if (manager_ == nullptr) return nullptr;
    ui::CControlUI* control =
        manager_->FindSubControlByName(const_cast<CDeviceOptionUI*>(this), name);
    return control ? static_cast<ui::COptionUI*>(control->GetInterface("Option")) : nullptr;
}

ui::COptionUI* CDeviceOptionUI::SelectOption() const {
    return Option("device_select");
}

ui::COptionUI* CDeviceOptionUI::SynchroOption() const {
    return Option("synchro_device_select");
}

bool CDeviceOptionUI::IsSelected() const {
    ui::COptionUI* option = SelectOption();
    return option && option->IsSelected();
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    if (ui::COptionUI* option = SynchroOption()) option->Selected(selected, false);
}

void CDeviceOptionUI::StartConnectionTimer(unsigned elapseMs) {
    SetTimer(kConnectionTimer, elapseMs);
}

}  // namespace vivori::app
