// The main window's handlers for the mouse page: DPI stages, polling rate, pointer and
// wheel controls and the settings tabs. Each turns a notification into the mouse
// device's page reaction, which saves the profile and writes the mouse.
#include "app/CMainWnd.h"
#include "device/SupportedDevices.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"

namespace vivori::app {

using devices::CQuorvaneMouseDevice;
using ui::TNotifyUI;

void CMainWnd::BindMouseHandlers() {
    // The page's own device: the notification came from inside it.
    auto mouseOf = [](TNotifyUI& msg) -> CQuorvaneMouseDevice* {
        for (ui::CControlUI* c = msg.pSender; c != nullptr; c = c->GetParent())
            if (auto* mouse =
                    static_cast<CQuorvaneMouseDevice*>(c->GetInterface("QuorvaneMouseDevice")))
                return mouse;
        return nullptr;
    };
    auto sliderValue = [](TNotifyUI& msg) {
        auto* slider = static_cast<ui::CSliderUI*>(msg.pSender->GetInterface("Slider"));
        return slider != nullptr ? slider->GetValue() : 0;
    };
    // Names the keyboard page shares: the mouse takes only its own notifications and
    // hands the rest to the handler bound before.
    auto forMouse = [this, mouseOf](
                        std::string_view name,
                        std::function<void(CQuorvaneMouseDevice&, TNotifyUI&, int)> run) {
        Handler before = handlers_.count(name) ? handlers_[name] : Handler();
        handlers_[name] = [mouseOf, run, before](TNotifyUI& msg, int index) {
            if (CQuorvaneMouseDevice* mouse = mouseOf(msg))
                run(*mouse, msg, index);
            else if (before)
                before(msg, index);
        };
    };
    forMouse("DpiStageDrag", [sliderValue](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int i) {
        mouse.ShowStageValue(i, sliderValue(msg));
    });
    forMouse("DpiStageValue", [sliderValue](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int i) {
        mouse.CommitStagePosition(i, sliderValue(msg));
    });
    forMouse("DpiStageTyped", [](CQuorvaneMouseDevice& mouse, TNotifyUI&, int i) {
        mouse.CommitStagePosition(i, mouse.EditToSliderPosition(i));
    });
    forMouse("DpiStageSelect", [](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int i) {
        // Unselecting the current stage's check is no choice: it stays current.
        auto* option = static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option"));
        if (option != nullptr && !option->IsSelected() && i == mouse.CurrentDpiStage()) {
            option->Selected(true, false);
            return;
        }
        mouse.OnStageSelected(i);
    });
    forMouse("DpiStageEnable",
             [](CQuorvaneMouseDevice& mouse, TNotifyUI&, int i) { mouse.OnStageEnabled(i); });
    // Grouped options: only the one that became selected counts.
    auto selected = [](TNotifyUI& msg) {
        auto* option = static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option"));
        return option == nullptr || option->IsSelected();
    };
    forMouse("ReportRate", [selected](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int i) {
        if (selected(msg)) mouse.OnPollingOption(i);
    });
    forMouse("MouseSettingsPage", [selected](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int i) {
        if (selected(msg)) mouse.SelectSettingsTab(i);
    });
    forMouse("MouseSystemSetting", [](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int) {
        mouse.OnSystemControl(msg.pSender->GetName());
    });
    forMouse("MouseSystemSlider", [](CQuorvaneMouseDevice& mouse, TNotifyUI& msg, int) {
        mouse.OnSystemControl(msg.pSender->GetName());
    });
}

}  // namespace vivori::app
