#include "app/windows/CSkinFrame.h"

#include <filesystem>
#include <system_error>

#include "app/windows/CMsgWnd.h"
#include "profiles/SkinSetting.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/message/Messages.h"
#include "ui/qt/FileDialogs.h"

namespace vivori::app {

using namespace ui;

namespace {

CSkinFrame::Receiver& TheReceiver() {
    static CSkinFrame::Receiver receiver;
    return receiver;
}

CSkinFrame::ImageChooser& TheChooser() {
    static CSkinFrame::ImageChooser chooser;
    return chooser;
}

// Only a choice the user made is written, so a damaged file stays until then.
void Store(const profiles::SkinChoice& choice) {
    profiles::WriteSkinChoice(profiles::MainIniFile(profiles::DataFolders::FromEnvironment()),
                              choice);
}

}  // namespace

void CSkinFrame::Subscribe(Receiver receiver) {
    TheReceiver() = std::move(receiver);
}

void CSkinFrame::Publish(const SkinChangedParam& param) {
    if (TheReceiver()) TheReceiver()(param);
}

void CSkinFrame::SetImageChooserForTests(ImageChooser chooser) {
    TheChooser() = std::move(chooser);
}

HWND CSkinFrame::Open(HWND owner, const UiRect& anchorOnScreen, int dpi) {
    auto* frame = new CSkinFrame;
    const HWND hwnd =
        frame->Create(owner, "skinframe", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    if (hwnd == 0) {
        delete frame;
        return 0;
    }
    frame->ScaleWindow(dpi);
    const UiRect scaled = frame->host_->GetRect();
    frame->host_->SetRect({anchorOnScreen.right - scaled.Width(), anchorOnScreen.bottom,
                           anchorOnScreen.right, anchorOnScreen.bottom + scaled.Height()});
    frame->ShowWindow(true, true);
    return hwnd;
}

void CSkinFrame::ShowPage(int page) {
    if (auto* tabs = dynamic_cast<CTabLayoutUI*>(pm_.FindControl("skin_tab")))
        tabs->SelectItem(page);
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != kNotifyClick || msg.pSender == nullptr) return WindowImplBase::Notify(msg);
    const std::string name = msg.pSender->GetName();
    if (name == "skin_image_btn") {
        const std::string image = msg.pSender->GetUserData();
        Publish({false, 0, image});
        Store({profiles::SkinChoice::Kind::Image, image, 0});
    } else if (name == "skin_color_btn") {
        const std::uint32_t colour = msg.pSender->GetBkColor();
        Publish({true, colour, {}});
        Store({profiles::SkinChoice::Kind::Colour, {}, colour});
    } else if (name == "skin_color") {
        ShowPage(1);
    } else if (name == "skin_image") {
        ShowPage(0);
    } else if (name == "skin_reset") {
        Publish({false, 0, profiles::kDefaultBackground});
        Store({});
    } else if (name == "skin_Custom") {
        std::string path;
        // The dialog (and a refusal's message) takes the focus; the popup must outlive
        // it, for this notification is still being handled by its paint manager when
        // the dialog returns.
        choosingFile_ = true;
        const bool chosen = TheChooser()
                                ? TheChooser()(&path)
                                : OpenFileDialog("(*.png)|*.png|(*.*)|*.*||", GetHWND(), &path);
        // Cancelling the dialog leaves the background as it is. A FIFO or a device
        // would block every later start-up reading it: only regular files are taken.
        std::error_code error;
        if (chosen && !path.empty() && !std::filesystem::is_regular_file(path, error)) {
            CMsgWnd::ShowMessage(
                GetHWND(), "",
                CResourceManager::GetInstance().ResolveText("background_refused_text") + "\n" +
                    path,
                pm_.GetDPI(), false, MsgButtons::Confirm);
        } else if (chosen && !path.empty()) {
            Publish({false, 0, path});
            Store({profiles::SkinChoice::Kind::Image, path, 0});
        }
        choosingFile_ = false;
    }
}

LRESULT CSkinFrame::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    // A popup that loses the focus closes, but not to its own file dialog.
    if (msg == WM_KILLFOCUS) {
        if (!choosingFile_) Close(IDCANCEL);
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CSkinFrame::OnFinalMessage(HWND) {
    delete this;
}

}  // namespace vivori::app
