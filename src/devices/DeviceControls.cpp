#include "devices/DeviceControls.h"

#include "devices/CQuorvaneKeyboardDevice.h"
#include "ui/core/CControlFactory.h"

namespace vivori::devices {

ui::CControlUI* CreateDeviceControl(std::string_view name, std::shared_ptr<hid::HidBus> bus) {
    if (name == "QuorvaneKeyboardDevice") return new CQuorvaneKeyboardDevice(std::move(bus));
    if (name == "QuorvaneUSBDevice") return new CQuorvaneUSBDevice(std::move(bus));
    return nullptr;
}

void RegisterDeviceControls() {
    for (const char* name : {"QuorvaneKeyboardDevice", "QuorvaneUSBDevice"})
        ui::CControlFactory::GetInstance().RegistControl(
            name, [name] { return CreateDeviceControl(name, nullptr); });
}

}  // namespace vivori::devices
