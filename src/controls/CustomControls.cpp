#include "controls/CustomControls.h"

#include "controls/CAudioRecordUI.h"
#include "controls/CChartViewUI.h"
#include "controls/CCircleProgressUI.h"
#include "controls/CCloudShareListItemUI.h"
#include "controls/CComboEditContainerElementUI.h"
#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CHandImgButtonUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "controls/CMpDevicePowerUI.h"
#include "controls/CRedioMacroButtonUI.h"
#include "controls/CSelectPanelUI.h"
#include "controls/CWndUI.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/UiTypes.h"

namespace vivori::controls {
namespace {

struct Entry {
    std::string_view className;
    ui::CControlUI* (*create)();
};

template <typename T>
ui::CControlUI* Make() {
    return new T;
}

constexpr Entry kControls[] = {
    {"CCircleProgressUI", &Make<CCircleProgressUI>},
    {"CChartViewUI", &Make<CChartViewUI>},
    {"CWndUI", &Make<CWndUI>},
    {"CSelectPanelUI", &Make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", &Make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", &Make<CCloudShareListItemUI>},
    {"CComboEditContainerElementUI", &Make<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", &Make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", &Make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", &Make<CRedioMacroButtonUI>},
    {"CAudioRecordUI", &Make<CAudioRecordUI>},
    {"CMpDevicePowerUI", &Make<CMpDevicePowerUI>},
};

}  // namespace

void RegisterCustomControls() {
    auto& factory = ui::CControlFactory::GetInstance();
    for (const Entry& entry : kControls) factory.RegistControl(entry.className, entry.create);
}

}  // namespace vivori::controls
