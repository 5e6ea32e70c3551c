#include "app/AppControlFactory.h"

#include <utility>

#include "app/CDeviceOptionUI.h"
#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceControls.h"
#include "panels/CDeviceProfileUI.h"
#include "panels/CKeySetControlUI.h"
#include "panels/CLightControlUI.h"
#include "panels/CMacroControlUI.h"
#include "panels/CMagicControlUI.h"
#include "panels/CShootControlUI.h"
#include "panels/CVoice6533ControlUI.h"
#include "platform/Debug.h"
#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::app {
namespace {

struct Panel {
    std::string_view element;
    std::string_view file;
};

constexpr Panel kPanels[] = {
    {"DeviceProfileUI", "XML/CustomControlXML/DeviceProfile.xml"},
    {"LightSetControlUI", "XML/CustomControlXML/LightControl.xml"},
    {"Voice6533SetControlUI", "XML/CustomControlXML/Voice6533Control.xml"},
    {"MagicSetControlUI", "XML/CustomControlXML/MagicControl.xml"},
    {"KeySetControlUI", "XML/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", "XML/CustomControlXML/MacroControl.xml"},
    {"ShootKeySetControlUI", "XML/CustomControlXML/ShootControl.xml"},
    {"VirtualSetControlUI", "XML/CustomControlXML/VirtualSet.xml"},
};

}  // namespace

AppControlFactory::AppControlFactory(ui::CPaintManagerUI* manager, std::shared_ptr<hid::HidBus> bus,
                                     ui::ControlFactoryCallback first)
    : manager_(manager), bus_(std::move(bus)), first_(std::move(first)) {}

ui::CControlUI* AppControlFactory::BuildPanel(std::string_view layoutFile) const {
    ui::CDialogBuilder builder;
    ui::CControlUI* root = builder.Create(
        layoutFile, [this](std::string_view name) { return Create(name); }, manager_);
    if (root == nullptr)
        DebugPrintf("panel %s not built: %s", std::string(layoutFile).c_str(),
                    builder.GetLastError().c_str());
    return root;
}

ui::CControlUI* AppControlFactory::Create(std::string_view name) const {
    if (first_)
        if (ui::CControlUI* control = first_(name)) return control;
    if (ui::CControlUI* device = devices::CreateDeviceControl(name, bus_)) return device;
    if (ui::EqualNoCase(name, "DeviceOption")) return new CDeviceOptionUI;
    if (ui::EqualNoCase(name, "KeySetControl")) return new panels::CKeySetControlUI;
    if (ui::EqualNoCase(name, "ShootControl")) return new panels::CShootControlUI;
    if (ui::EqualNoCase(name, "MacroControl")) return new panels::CMacroControlUI;
    if (ui::EqualNoCase(name, "DeviceProfile")) return new panels::CDeviceProfileUI;
    if (ui::EqualNoCase(name, "LightControl")) return new panels::CLightControlUI;
    if (ui::EqualNoCase(name, "Voice6533Control")) return new panels::CVoice6533ControlUI;
    if (ui::EqualNoCase(name, "MagicControl")) return new panels::CMagicControlUI;
    for (const Panel& panel : kPanels)
        if (ui::EqualNoCase(name, panel.element)) return BuildPanel(panel.file);
    return nullptr;
}

}  // namespace vivori::app
