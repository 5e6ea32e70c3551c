#include "devices/DeviceControls.h"

#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"

namespace vivori::devices {

ui::CControlUI* CreateDeviceControl(std::string_view name, std::shared_ptr<hid::HidBus> bus) {
    if (name == "QuorvaneKeyboardDevice") return new CQuorvaneKeyboardDevice(std::move(bus));
    if (name == "QuorvaneMouseDevice") return new CQuorvaneMouseDevice(std::move(bus));
    if (name == "QuorvaneRI6533Device") return new CQuorvaneRI6533Device(bus);
    if (name == "QuorvaneMousePadDevice") return new CQuorvaneMousePadDevice(std::move(bus));
    if (name == "QuorvaneUSBDevice") return new CQuorvaneUSBDevice(std::move(bus));
    return nullptr;
}

}  // namespace vivori::devices
