#include "app/windows/MusicWnd.h"

#include <algorithm>

#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CProgressUI.h"

namespace vivori::app {

using namespace ui;

namespace {

constexpr int kWidth = 369;
constexpr int kHeight = 276;
constexpr const char* kSliders[] = {"audio_r_slider", "audio_g_slider", "audio_b_slider"};

// The style (0-3) a name of the family "<prefix>1" ... "<prefix>4" stands for; -1 else.
int StyleOf(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 1 || !EqualNoCase(name.substr(0, prefix.size()), prefix))
        return -1;
    const int n = name.back() - '1';
    return n >= 0 && n < profiles::kAudioStyleCount ? n : -1;
}

// A style still under its stored default name ("第一组", ...) is shown by that name in
// the current language; the file keeps the stored default, so other readers agree.
std::string ShownStyleName(const std::string& stored, int style) {
    if (!stored.empty() && stored != profiles::DefaultAudioStyleName(style)) return stored;
    return CResourceManager::GetInstance().ResolveText("audio_style_default_" +
                                                       std::to_string(style + 1));
}

}  // namespace

HWND MusicWnd::CreateFor(HWND owner) {
    const HWND hwnd =
        Create(owner, "  ", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, kWidth, kHeight);
    if (hwnd != 0) CenterWindow();
    return hwnd;
}

void MusicWnd::InitWindow() {
    pm_.SetDPI(dpi_);
    for (int s = 0; s < profiles::kAudioStyleCount; ++s) {
        const std::string n = std::to_string(s + 1);
        if (CControlUI* edit = pm_.FindControl("audio_edit_name" + n))
            edit->SetText(ShownStyleName(set_.names[size_t(s)], s));
        if (auto* tab = dynamic_cast<COptionUI*>(pm_.FindControl("audio_select_tab" + n)))
            tab->Selected(s == set_.style, false);
    }
    ShowStyle(set_.style);
}

void MusicWnd::ShowStyle(int style) {
    set_.style = style;
    for (int c = 0; c < 3; ++c)
        if (auto* slider = dynamic_cast<CProgressUI*>(pm_.FindControl(kSliders[c])))
            slider->SetValue(set_.levels[size_t(style)][size_t(c)]);
}

void MusicWnd::Notify(TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (msg.sType == kNotifySelectChanged) {
        const int style = StyleOf(name, "audio_select_tab");
        auto* tab = dynamic_cast<COptionUI*>(msg.pSender);
        if (style >= 0 && tab && tab->IsSelected()) ShowStyle(style);
    } else if (msg.sType == kNotifyValueChanged || msg.sType == kNotifyMoveValueChanged) {
        for (int c = 0; c < 3; ++c)
            if (EqualNoCase(name, kSliders[c]))
                if (auto* slider = dynamic_cast<CProgressUI*>(msg.pSender))
                    set_.levels[size_t(set_.style)][size_t(c)] =
                        std::clamp(slider->GetValue(), 0, profiles::kAudioLevelMax);
    } else if (msg.sType == kNotifyKillFocus) {
        const int style = StyleOf(name, "audio_edit_name");
        if (style >= 0) {
            std::string text = msg.pSender->GetText();
            if (text.empty() || text == ShownStyleName({}, style)) {
                text = profiles::DefaultAudioStyleName(style);
                msg.pSender->SetText(ShownStyleName(text, style));
            }
            set_.names[size_t(style)] = text;
        }
    } else if (msg.sType == kNotifyClick) {
        if (EqualNoCase(name, "okbtn") || EqualNoCase(name, "closebtn")) {
            result_ = EqualNoCase(name, "okbtn") ? 1 : 0;
            Close(result_);
        }
    }
    WindowImplBase::Notify(msg);
}

}  // namespace vivori::app
