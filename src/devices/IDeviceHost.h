#pragma once

namespace vivori::devices {

class CQuorvaneUSBDevice;

// What the device manager asks of the window that owns it: the selector entries, the
// power controls and the timers that drive a device's periodic work live there. All
// calls come on the UI thread, inside the device-arrived and device-removed handlers.
class IDeviceHost {
  public:
    virtual ~IDeviceHost() = default;
    // A device page was built and initialised: create its selector entry and power
    // control (hidden until the device attaches).
    virtual void OnPageCreated(CQuorvaneUSBDevice& device, int pageRow) {
        (void)device, (void)pageRow;
    }
    // An arrival of the device's command collection: show and select its selector entry
    // (not for a receiver arrival) and start its connection timer, which runs
    // OnConnected once the transport is open.
    virtual void OnDeviceAttached(CQuorvaneUSBDevice& device, bool throughReceiver) {
        (void)device, (void)throughReceiver;
    }
    // The device is gone both ways: remove it from the selector.
    virtual void OnDeviceDetached(CQuorvaneUSBDevice& device) { (void)device; }
    // The device moved between cable and receiver: on the receiver send ConfigBegin
    // and restart the entry's timer with 2000 ms; on the cable restart the timer and
    // show the entry (message 3331).
    virtual void OnLinkSwitched(CQuorvaneUSBDevice& device, bool toReceiver) {
        (void)device, (void)toReceiver;
    }
};

}  // namespace vivori::devices
