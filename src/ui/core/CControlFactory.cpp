#include "ui/core/CControlFactory.h"

#include "ui/core/CButtonUI.h"
#include "ui/core/CColorPaletteUI.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CLabelUI.h"
#include "ui/core/CListContainerElementUI.h"
#include "ui/core/CListLabelElementUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/core/CScrollBarUI.h"
#include "ui/core/CSliderUI.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/core/CTextUI.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
namespace {

template <typename Control>
CControlFactory::Creator Make() {
    return [] { return new Control; };
}

}  // namespace

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory factory;
    return factory;
}

CControlFactory::CControlFactory() {
    RegistControl("Control", Make<CControlUI>());
    RegistControl("Container", Make<CContainerUI>());
    RegistControl("VerticalLayout", Make<CVerticalLayoutUI>());
    RegistControl("HorizontalLayout", Make<CHorizontalLayoutUI>());
    RegistControl("TabLayout", Make<CTabLayoutUI>());
    RegistControl("Label", Make<CLabelUI>());
    RegistControl("Text", Make<CTextUI>());
    RegistControl("Button", Make<CButtonUI>());
    RegistControl("Option", Make<COptionUI>());
    RegistControl("CheckBox", Make<CCheckBoxUI>());
    RegistControl("Edit", Make<CEditUI>());
    RegistControl("RichEdit", Make<CEditUI>());
    RegistControl("Combo", Make<CComboUI>());
    RegistControl("List", Make<CListUI>());
    RegistControl("ListLabelElement", Make<CListLabelElementUI>());
    RegistControl("ListContainerElement", Make<CListContainerElementUI>());
    RegistControl("Progress", Make<CProgressUI>());
    RegistControl("Slider", Make<CSliderUI>());
    RegistControl("ScrollBar", Make<CScrollBarUI>());
    RegistControl("ColorPalette", Make<CColorPaletteUI>());
}

void CControlFactory::RegistControl(std::string_view className, Creator creator) {
    creators_[AsciiLower(className)] = std::move(creator);
}

CControlUI* CControlFactory::CreateControl(std::string_view name) const {
    auto found = creators_.find(AsciiLower(name));
    if (found == creators_.end()) {
        // "DeviceOption" in a layout reaches the class registered as "CDeviceOptionUI".
        // Appended: g++ 12 at -O3 takes "C" + string for an overlapping copy.
        found = creators_.find(AsciiLower(std::string("C").append(name).append("UI")));
    }
    return found != creators_.end() ? found->second() : nullptr;
}

}  // namespace vivori::ui
