#include "devices/DeviceControls.h"

#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "ui/core/UiTypes.h"

namespace vivori::devices {

ui::CControlUI* CreateDeviceControl(std::string_view name, std::shared_ptr<hid::HidBus> bus) {
    // Element names, like every factory name, are compared without regard to case.
    if (ui::EqualNoCase(name, "QuorvaneKeyboardDevice"))
        return new CQuorvaneKeyboardDevice(std::move(bus));
    if (ui::EqualNoCase(name, "QuorvaneMouseDevice"))
        return new CQuorvaneMouseDevice(std::move(bus));
    if (ui::EqualNoCase(name, "QuorvaneRI6533Device")) return new CQuorvaneRI6533Device(bus);
    if (ui::EqualNoCase(name, "QuorvaneMousePadDevice"))
        return new CQuorvaneMousePadDevice(std::move(bus));
    if (ui::EqualNoCase(name, "QuorvaneUSBDevice")) return new CQuorvaneUSBDevice(std::move(bus));
    return nullptr;
}

}  // namespace vivori::devices
