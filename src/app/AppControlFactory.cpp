#include "app/AppControlFactory.h"

#include <utility>

#include "app/CDeviceOptionUI.h"
#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceControls.h"
#include "panels/CMacroControlUI.h"
#include "panels/CDeviceProfileUI.h"
#include "panels/CLightControlUI.h"
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

enum class Shape { Horizontal, Vertical };

// Panels whose classes are not written yet, and the toolkit shape that stands in for each.
constexpr std::pair<std::string_view, Shape> kStandIns[] = {
    {"MagicControl", Shape::Vertical},  {"Voice6533Control", Shape::Vertical},
    {"KeySetControl", Shape::Vertical}, {"ShootControl", Shape::Vertical},
    {"MpDevicePower", Shape::Horizontal},
};

ui::CControlUI* Make(Shape shape) {
    switch (shape) {
        case Shape::Horizontal:
            return new ui::CHorizontalLayoutUI;
        case Shape::Vertical:
            return new ui::CVerticalLayoutUI;
    }
    return nullptr;
}

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
    // Until their own classes land, the other device pages run on the base object.
    if (ui::EqualNoCase(name, "QuorvaneMouseDevice") ||
        ui::EqualNoCase(name, "QuorvaneMousePadDevice") ||
        ui::EqualNoCase(name, "QuorvaneRI6533Device"))
        return new devices::CQuorvaneUSBDevice(bus_);
    if (ui::EqualNoCase(name, "DeviceOption")) return new CDeviceOptionUI;
    if (ui::EqualNoCase(name, "MacroControl")) return new panels::CMacroControlUI;
    if (ui::EqualNoCase(name, "DeviceProfile")) return new panels::CDeviceProfileUI;
    if (ui::EqualNoCase(name, "LightControl")) return new panels::CLightControlUI;
    for (const Panel& panel : kPanels)
        if (ui::EqualNoCase(name, panel.element)) return BuildPanel(panel.file);
    for (const auto& [element, shape] : kStandIns)
        if (ui::EqualNoCase(name, element)) return Make(shape);
    return nullptr;
}

}  // namespace vivori::app
