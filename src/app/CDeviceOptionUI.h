#pragma once

#include <string>

#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/COptionUI.h"

namespace vivori::devices {
class CQuorvaneUSBDevice;
}

namespace vivori::app {

// One entry of the device selector: the page and power display it selects, and the
// device it stands for. Of the entry's timers only the connection timer runs here: it
// waits for the device's transport to open and then lets the device read itself.
class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr unsigned kConnectionTimer = 1;
    static constexpr unsigned kConnectionPollMs = 20;

    std::string_view GetClass() const override { return "DeviceOptionUI"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;

    // The tab layouts it selects, with the controls shown there; power null: the power
    // display is hidden while this entry is selected.
    void Bind(std::string tabName, ui::CControlUI* page, std::string powerTabName,
              ui::CControlUI* power);
    const std::string& TabName() const { return tabName_; }
    const std::string& PowerTabName() const { return powerTabName_; }
    // The positions of the bound controls in their tab layouts; -1 when not there.
    int TabIndex() const;
    int PowerIndex() const;

    void SetDevice(devices::CQuorvaneUSBDevice* device) { device_ = device; }
    devices::CQuorvaneUSBDevice* Device() const { return device_; }
    void SetDeviceType(int kind, int link);
    int DeviceKind() const { return kind_; }
    void SetDeviceName(std::string_view name);

    ui::COptionUI* SelectOption() const;
    ui::COptionUI* SynchroOption() const;
    bool IsSelected() const;
    void SetSynchroSelected(bool selected);

    void StartConnectionTimer(unsigned elapseMs = kConnectionPollMs);

  private:
    ui::COptionUI* Option(std::string_view name) const;
    static int IndexIn(ui::CControlUI* control, const std::string& tabName);

    std::string tabName_;
    std::string powerTabName_;
    ui::CControlUI* page_ = nullptr;
    ui::CControlUI* power_ = nullptr;
    devices::CQuorvaneUSBDevice* device_ = nullptr;
    int kind_ = 0;
    int link_ = 0;
};

}  // namespace vivori::app
