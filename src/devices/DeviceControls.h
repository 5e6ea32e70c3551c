#pragma once

#include <memory>
#include <string_view>

#include "platform/hid/HidBus.h"
#include "ui/core/CControlUI.h"

namespace vivori::devices {

// Creates the device classes the page layouts name ("QuorvaneKeyboardDevice" and the
// base "QuorvaneUSBDevice"); null for any other name.
ui::CControlUI* CreateDeviceControl(std::string_view name, std::shared_ptr<hid::HidBus> bus);

}  // namespace vivori::devices
