// The main window's notification handlers, bound by the names the routing table uses.
#include <cctype>
#include <charconv>
#include <cstdio>

#include "app/AppMessages.h"
#include "app/CMainWnd.h"
#include "app/NotifyRoutes.h"
#include "app/handlers/KeyboardSettings.h"
#include "device/SupportedDevices.h"
#include "platform/Debug.h"
#include "ui/core/CSliderUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

namespace {

int PageOfTab(std::string_view name) {
    constexpr std::pair<std::string_view, int> kTabs[] = {
        {"deng_Op_tab", 1},   {"key_Op_tab", 2},       {"macro_Op_tab", 3},
        {"system_Op_tab", 4}, {"cursor_Op_tab", 5},    {"6533_voice_Op_tab", 6},
        {"magic_Op_tab", 7},  {"Virtual7.1_Op_tab", 8}};
    for (const auto& [tab, page] : kTabs)
        if (EqualNoCase(tab, name)) return page;
    return 0;
}

std::string NameOf(const TNotifyUI& msg) {
    return msg.pSender ? msg.pSender->GetName() : std::string();
}

}  // namespace

void CMainWnd::Notify(TNotifyUI& msg) {
    const std::string name = NameOf(msg);
    if (msg.sType != kNotifyTimer) {
        DebugOutput(msg.sType);
        DebugOutput(name);
    }
    if (NotifyRoutes::EndsRouting(msg.sType)) return;
    for (const Route& route : NotifyRoutes::Resolve(msg.sType, name))
        Dispatch(route.handler, msg, route.index);
    WindowImplBase::Notify(msg);
}

void CMainWnd::Dispatch(std::string_view handler, TNotifyUI& msg, int index) {
    if (auto found = handlers_.find(handler); found != handlers_.end()) {
        found->second(msg, index);
        return;
    }
    Pending(handler);
}

void CMainWnd::DispatchHook(UINT msg, WPARAM wParam, LPARAM lParam) {
    const AppMessages& messages = Messages();
    for (size_t i = 0; i < messages.hook.size(); ++i) {
        if (messages.hook[i] != msg) continue;
        if (auto found = hookHandlers_.find(kHookMessageNames[i]); found != hookHandlers_.end())
            found->second(wParam, lParam);
        else
            Pending(kHookMessageNames[i]);
        return;
    }
}

std::vector<std::string_view> CMainWnd::PendingHandlers() {
    CMainWnd probe;
    std::vector<std::string_view> pending;
    for (std::string_view handler : NotifyRoutes::Handlers())
        if (probe.handlers_.count(handler) == 0) pending.push_back(handler);
    return pending;
}

void CMainWnd::BindHandlers() {
    auto command = [this](WPARAM which) {
        return [this, which](TNotifyUI&, int) { SendMessage(GetHWND(), WM_SYSCOMMAND, which, 0); };
    };
    handlers_ = {
        {"WindowInit", [this](TNotifyUI&, int) { OnWindowInit(); }},
        {"SizeChanged",
         [this](TNotifyUI&, int) {
             if (!displayChanged_) return;
             displayChanged_ = false;
             SetupDpi();
         }},
        {"NoAction", [](TNotifyUI&, int) {}},
        {"MouseKeyLightSelection",
         [this](TNotifyUI&, int) {
             devices::CQuorvaneUSBDevice* device = CurrentDevice();
             if (device == nullptr || device->DeviceKind() != kKindMouse) return;
             device->LoadProfile();
             device->RefreshPage();
             device->WriteSettings();
             device->ApplyProfileLighting();
         }},
        {"HideToTray", [this](TNotifyUI&, int) { HideToTray(); }},
        {"HideWindow",
         [this](TNotifyUI&, int) {
             EndRecordingOnLeave();
             ShowWindow(false);
         }},
        {"ToggleLightControl", [this](TNotifyUI&, int) { ToggleLightControl(); }},
        {"Minimize", command(SC_MINIMIZE)},
        {"Maximize", command(SC_MAXIMIZE)},
        {"Restore", command(SC_RESTORE)},
        {"SelectPreviousDevice", [this](TNotifyUI&, int) { selector_.Step(-1); }},
        {"SelectNextDevice", [this](TNotifyUI&, int) { selector_.Step(1); }},
        {"DeviceChosen",
         [this](TNotifyUI& msg, int) {
             // The entry clicked is the current one from then on; a click on the
             // current entry (which the option takes as unselecting) keeps it so.
             for (int i = 0; i < selector_.Count(); ++i) {
                 CDeviceOptionUI* entry = selector_.Entry(i);
                 if (entry && entry->SelectOption() == msg.pSender) ShowSelectorEntry(i, true, true);
             }
         }},
        {"PageTab",
         [this](TNotifyUI& msg, int) {
             // A recording left behind would keep the keyboard: it ends, and is kept.
             EndRecordingOnLeave();
             if (devices::CQuorvaneUSBDevice* device = CurrentDevice())
                 device->ShowTip(PageOfTab(NameOf(msg)));
             SelectProfilePanelTab(PageOfTab(NameOf(msg)));
         }},
        {"ProfileChosen",
         [this](TNotifyUI&, int) { SetTimer(GetHWND(), kTimerProfileSwitch, 400); }},
        {"DpiSliderShowsValue",
         [this](TNotifyUI& msg, int index) {
             auto* slider = static_cast<CSliderUI*>(msg.pSender->GetInterface("Slider"));
             CControlUI* edit = pm_.FindControl("zunik_DPI_edit_" + std::to_string(index));
             if (slider && edit) edit->SetText(std::to_string(slider->GetValue()));
         }},
        {"DpiEditSetsSlider",
         [this](TNotifyUI& msg, int index) {
             CControlUI* control = pm_.FindControl("zunik_DPI_slider_" + std::to_string(index));
             auto* slider =
                 control ? static_cast<CSliderUI*>(control->GetInterface("Slider")) : nullptr;
             const std::string text = msg.pSender->GetText();
             int value = 0;
             const auto [end, error] =
                 std::from_chars(text.data(), text.data() + text.size(), value);
             // Not a number: the slider keeps its value.
             if (slider && error == std::errc() && end == text.data() + text.size())
                 slider->SetValue(value);
         }},
        {"RemoveInputHook",
         [this](TNotifyUI&, int) { SendMessage(GetHWND(), kMsgInputHook, 0, 0); }},
        {"InstallInputHook",
         [this](TNotifyUI&, int) { SendMessage(GetHWND(), kMsgInputHook, 1, 0); }},
    };
    BindKeyHandlers();
    BindRecoilHandlers();
    BindMouseHandlers();
    BindMacroHandlers();
    AddLightingHandlers(*this, handlers_);
    AddKeyboardSettingsHandlers(*this, handlers_);
    AddAudioLightHandlers(*this, handlers_);
    BindProfileHandlers();
    AddHeadsetHandlers(*this, handlers_);
    BindShellHandlers();
}

}  // namespace vivori::app
