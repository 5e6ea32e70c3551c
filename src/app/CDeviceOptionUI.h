#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/COptionUI.h"

namespace vivori::devices {
class CQuorvaneUSBDevice;
}

namespace vivori::app {

// One entry of the device selector: the page and power display it selects, and the
// device it stands for. Its timers drive the device's periodic work on the UI thread:
// the connection, the light output clock, the power status and the receiver link watch.
class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr unsigned kLightTimer = 1000;
    static constexpr unsigned kConnectTimer = 1001;
    static constexpr unsigned kSyncTimer = 1002;
    static constexpr unsigned kPowerTimer = 1005;
    static constexpr unsigned kLinkWatchTimer = 1007;
    static constexpr unsigned kConnectMs = 500;
    static constexpr unsigned kConnectRetryMs = 3000;
    static constexpr unsigned kLightFirstMs = 5;
    static constexpr unsigned kLightWiredMs = 10;
    static constexpr unsigned kLightReceiverMs = 50;
    // How often the preview looks for changes no step tells of.
    static constexpr unsigned kLightLookMs = 100;
    static constexpr unsigned kPowerFirstMs = 50;
    static constexpr unsigned kPowerMs = 5000;
    // While the window is hidden: one power read in this many polls (once a minute).
    static constexpr unsigned kHiddenPowerReads = 12;
    // The headset shows no battery in the header, but the tray lists it and warns when
    // it runs low: once a minute.
    static constexpr unsigned kHeadsetPowerMs = 60000;
    static constexpr unsigned kLinkWatchFirstMs = 2000;
    static constexpr unsigned kLinkWatchMs = 3000;

    std::string_view GetClass() const override { return "DeviceOption"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;
    bool Activate() override;
    bool IsShown() const { return IsOwnVisible(); }

    // The tab layouts it selects, with the controls shown there; power null: the power
    // display is hidden while this entry is selected.
    void Bind(std::string tabName, ui::CControlUI* page, std::string powerTabName,
              ui::CControlUI* power);
    const std::string& TabName() const { return tabName_; }
    const std::string& PowerTabName() const { return powerTabName_; }
    // The positions of the bound controls in their tab layouts; -1 when not there.
    int TabIndex() const;
    int PowerIndex() const;

    // Stores the device and gives the device this entry.
    void AttachDevice(devices::CQuorvaneUSBDevice* device);
    devices::CQuorvaneUSBDevice* Device() const { return device_; }
    // The panel of key and LED buttons the light output repaints.
    void SetKeyPanel(ui::CControlUI* panel) { keyPanel_ = panel; }
    ui::CControlUI* KeyPanel() const { return keyPanel_; }

    // Chooses the icons of "device_select" by device kind (subkind: mouse pads with
    // hardware or software lighting).
    void SetDeviceType(int kind, int subkind);
    int DeviceKind() const { return kind_; }
    int DeviceSubkind() const { return subkind_; }
    void SetDeviceName(std::string_view name);
    // A device that does not answer has that said under its icon in place of its name.
    void ShowAnswering(bool answering);
    bool AnsweringShown() const { return answering_; }
    // While the device's connection reads run, "Reading…" stands there instead.
    void ShowReading(bool reading);
    bool ReadingShown() const { return reading_; }
    void SetGroup(std::string_view group);

    ui::COptionUI* SelectOption() const;
    ui::COptionUI* SynchroOption() const;
    bool IsSelected() const;
    void SetDeviceSelected(bool selected);
    void ShowSynchro(bool show);
    bool IsSynchroSelected() const;
    void SetSynchroSelected(bool selected);

    void StartConnectTimer(unsigned elapseMs = kConnectMs);
    // The device went away: the connection and link watch timers stop, so nothing
    // polls a closed transport for the rest of the run.
    void StopConnectionTimers();
    // Only while the device's command transport is open.
    void StartLinkWatch(unsigned periodMs);
    // The device's notification threads ask for a read-back through this timer.
    void StartSyncTimer(unsigned elapseMs);
    // How often a device that shows its power reads it (tests shorten it).
    void SetPowerPeriod(unsigned periodMs) { powerPeriodMs_ = periodMs; }
    void SetHeadsetPowerPeriod(unsigned periodMs) { headsetPowerPeriodMs_ = periodMs; }
    unsigned PowerPeriod() const { return powerPeriodMs_; }
    // The main window is back: the light output paints again at once.
    // The window or this entry's page came into view: the light clock, stopped while
    // nothing of the page could be seen, runs again.
    void OnWindowShown();

  private:
    // The receiver's link check on the device's thread, then `then` here; false when
    // one is under way already (nothing queued).
    bool CheckLink(std::function<void(bool)> then);
    // The device answers: its reads, timers and link watch start.
    void Connect();
    static constexpr uint32_t kLinkCheckStaleMs = 10000;
    bool linkCheckQueued_ = false;
    uint32_t linkCheckSince_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // its end tells queued checks
    // The name, or that the device does not answer, under the icon.
    void ShowName();
    ui::COptionUI* Option(std::string_view name) const;
    static int IndexIn(ui::CControlUI* control, const std::string& tabName);
    void ShowIcons(bool synchro);
    bool OnReceiver() const;
    bool IsOpen() const;
    void SendReachable(bool reachable);

    void OnLightTimer();
    // A lighting step changed the colours: a picture now, or at the next refresh.
    void OnLightsChanged();
    void PaintLights();
    bool PreviewSeen() const;
    // The shortest time between two pictures, and between two looks of the clock.
    unsigned PicturePeriodMs() const;
    unsigned LightPeriodMs() const;
    uint32_t lastLightPicture_ = 0;
    void OnConnectTimer();
    void OnPowerTimer();
    void OnLinkWatchTimer();

    std::string tabName_;
    std::string deviceName_;
    bool answering_ = true;
    bool reading_ = false;
    std::string powerTabName_;
    ui::CControlUI* page_ = nullptr;
    ui::CControlUI* power_ = nullptr;
    ui::CControlUI* keyPanel_ = nullptr;
    devices::CQuorvaneUSBDevice* device_ = nullptr;
    int kind_ = 0;
    int subkind_ = 0;
    bool lightClock_ = false;  // the light timer runs
    unsigned powerPeriodMs_ = kPowerMs;
    unsigned headsetPowerPeriodMs_ = kHeadsetPowerMs;
    unsigned pausedPolls_ = 0;
    std::string normalIcon_ = "common/device_ico/unknow_device_normal.png";
    std::string selectedIcon_ = "common/device_ico/unknow_device_selected.png";
    std::string synchroNormalIcon_ = "common/device_ico/unknow_device_synchro_normal.png";
    std::string synchroSelectedIcon_ = "common/device_ico/unknow_device_synchro_selected.png";
};

}  // namespace vivori::app
