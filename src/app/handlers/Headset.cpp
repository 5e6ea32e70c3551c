// The main window's handlers of the headset's voice, equaliser and voice-effect panels:
// each turns a control's notification into the headset's action.
#include "app/CMainWnd.h"
#include "app/handlers/Handlers.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "platform/Debug.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"

namespace vivori::app {

using devices::CQuorvaneRI6533Device;
using ui::TNotifyUI;

namespace {

bool OptionSelected(const TNotifyUI& msg) {
    auto* option = msg.pSender ? static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option"))
                               : nullptr;
    return option != nullptr && option->IsSelected();
}

int SliderValue(const TNotifyUI& msg) {
    auto* slider = msg.pSender ? static_cast<ui::CProgressUI*>(msg.pSender->GetInterface("Progress"))
                               : nullptr;
    return slider ? slider->GetValue() : 0;
}

bool Named(const TNotifyUI& msg, std::string_view name) {
    return msg.pSender != nullptr && ui::EqualNoCase(msg.pSender->GetName(), name);
}

}  // namespace

void AddHeadsetHandlers(CMainWnd& window, HandlerTable& handlers) {
    // The headset whose page is shown; the panels exist only there.
    auto headset = [&window](auto action) {
        return [&window, action](TNotifyUI& msg, int index) {
            if (auto* device = dynamic_cast<CQuorvaneRI6533Device*>(window.CurrentDevice()))
                action(*device, msg, index);
        };
    };
    handlers["HeadsetSwitch"] = headset([](CQuorvaneRI6533Device& d, TNotifyUI& msg, int) {
        if (Named(msg, "magic_enable_option"))
            d.SetVoiceEffect(OptionSelected(msg));
        else if (Named(msg, "6533_MicIn_option"))
            d.ToggleMicMute();
        else if (Named(msg, "6533_MicMoniter_option"))
            d.ToggleMonitorMute();
    });
    handlers["HeadsetMicLevel"] = headset([](CQuorvaneRI6533Device& d, TNotifyUI& msg, int) {
        if (Named(msg, "6533_MicIn_slider"))
            d.SetMicLevel(SliderValue(msg));
        else
            d.SetMonitorLevel(SliderValue(msg));
    });
    handlers["VoiceEffect"] = headset([](CQuorvaneRI6533Device& d, TNotifyUI& msg, int index) {
        if (OptionSelected(msg)) d.SelectVoiceEffect(index);
    });
    handlers["EqualiserPreset"] = headset([](CQuorvaneRI6533Device& d, TNotifyUI& msg, int index) {
        // The option losing its selection reports too; only the chosen one acts.
        if (OptionSelected(msg)) d.ApplyPreset(index);
    });
    handlers["EqualiserBand"] = headset([](CQuorvaneRI6533Device& d, TNotifyUI& msg, int index) {
        d.SetBand(index, SliderValue(msg));
    });
    handlers["EqualiserPresetChosen"] =
        headset([](CQuorvaneRI6533Device& d, TNotifyUI&, int) { d.ApplyCustom(); });
    handlers["EqualiserPresetSave"] = headset([&window](CQuorvaneRI6533Device& d, TNotifyUI&, int) {
        if (d.SaveCustom() == 0)
            window.ShowMessageText("message_text_5");
        else
            window.ShowPageNote("saved_note_text");
    });
    handlers["EqualiserPresetDelete"] =
        headset([](CQuorvaneRI6533Device& d, TNotifyUI&, int) { d.DeleteCustom(); });
}

}  // namespace vivori::app
