#include "controls/CustomControls.h"

#include "controls/CAudioRecordUI.h"
#include "controls/CChartViewUI.h"
#include "controls/CCircleProgressUI.h"
#include "controls/CCloudShareListItemUI.h"
#include "controls/CComboEditContainerElementUI.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CHandImgButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "controls/CRedioMacroButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "controls/CWndUI.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/UiTypes.h"

namespace vivori::controls {
namespace {

struct Entry {
    std::string_view className;
    std::string_view element;
    ui::CControlUI* (*create)();
};

template <typename T>
ui::CControlUI* Make() {
    return new T;
}

constexpr Entry kControls[] = {
    {"CCircleProgressUI", "CircleProgress", &Make<CCircleProgressUI>},
    {"CChartViewUI", "ChartView", &Make<CChartViewUI>},
    {"CWndUI", "Wnd", &Make<CWndUI>},
    {"CSelectPanelUI", "SelectPanel", &Make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", "DeviceKeyButton", &Make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", "CloudShareListItem", &Make<CCloudShareListItemUI>},
    {"CComboEditContainerElementUI", "ComboEditContainerElement",
     &Make<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", "HandImgButton", &Make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", "HandImgSelectButton", &Make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", "RedioMacroButton", &Make<CRedioMacroButtonUI>},
    {"CAudioRecordUI", "AudioRecord", &Make<CAudioRecordUI>},
};

}  // namespace

ui::CControlUI* CreateCustomControl(std::string_view name) {
    for (const Entry& entry : kControls)
        if (ui::EqualNoCase(name, entry.className) || ui::EqualNoCase(name, entry.element))
            return entry.create();
    return nullptr;
}

void RegisterCustomControls() {
    auto& factory = ui::CControlFactory::GetInstance();
    for (const Entry& entry : kControls) factory.RegistControl(entry.className, entry.create);
}

}  // namespace vivori::controls
