#pragma once

#include <memory>
#include <vector>

#include "devices/CQuorvaneUSBDevice.h"
#include "devices/CaptureThread.h"
#include "devices/DeviceList.h"
#include "devices/IDeviceHost.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::devices {

struct DeviceManagerSetup {
    ui::CPaintManagerUI* manager = nullptr;  // the main window's; must outlive the pages
    ui::HWND window = 0;                     // receives 3090, 3091 and the wake-up message
    std::shared_ptr<hid::HidBus> bus;        // null: the process default bus
    // Creates device classes the page layouts name; the built-in ones (DeviceControls.h)
    // are made when it gives null.
    ui::ControlFactoryCallback createControl;
    IDeviceHost* host = nullptr;
};

// The device list and what keeps it current: the capture thread, and the handlers of
// its two messages that create device pages, open and switch the command connections
// and run the notification channels. The main window owns it and calls DeviceArrived
// and DeviceRemoved from its handlers of 3090 and 3091 (UI thread).
class DeviceManager {
  public:
    explicit DeviceManager(DeviceManagerSetup setup);
    ~DeviceManager();
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    bool StartCapture();
    StopResult StopCapture();

    // The pages shown from the start: the mouse and the keyboard.
    void CreateStartPages();
    void DeviceArrived(int index);
    void DeviceRemoved(int index);

    DeviceList& List() { return list_; }
    // The device object that serves list entry index, or null when it has no page yet.
    CQuorvaneUSBDevice* DeviceOf(int index) const;
    const std::vector<CQuorvaneUSBDevice*>& Devices() const { return devices_; }

  private:
    CQuorvaneUSBDevice* FindDevice(int cableRow) const;
    CQuorvaneUSBDevice* CreateDevicePage(int pageRow, const DeviceDescriptor& descriptor);
    ui::CControlUI* CreateControl(std::string_view name);
    void AttachWireless(int index, const DeviceDescriptor& entry, CQuorvaneUSBDevice& device);
    void Attach(int cableRow, const DeviceDescriptor& entry, CQuorvaneUSBDevice& device,
                bool wireless);
    void SwitchLink(CQuorvaneUSBDevice& device, int cableRow, bool toReceiver);
    // Whether the other way of reaching the device of entry index is present.
    bool PartnerPresent(int index) const;

    DeviceManagerSetup setup_;
    DeviceList list_;
    CaptureThread capture_;
    std::vector<CQuorvaneUSBDevice*> devices_;
    // Pages kept here when the window has no "device_switch" to hold them.
    std::vector<std::unique_ptr<ui::CControlUI>> ownedPages_;
};

// The command row of the device that list entry index belongs to: the cable row of
// its command collection, which names the device object. -1 when none.
int CableRowOf(int index);

}  // namespace vivori::devices
