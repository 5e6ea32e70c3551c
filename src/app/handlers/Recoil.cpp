// The main window's handlers for the mouse's recoil panel: choosing a pattern and a
// bullet, editing, saving, resetting, importing and exporting pattern files, and
// sending the four patterns to the mouse.
#include "app/CMainWnd.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "panels/CShootControlUI.h"
#include "platform/Debug.h"
#include "ui/core/COptionUI.h"
#include "ui/qt/FileDialogs.h"

namespace vivori::app {

using devices::CQuorvaneMouseDevice;
using panels::CShootControlUI;
using ui::TNotifyUI;

namespace {

constexpr std::string_view kShootFilter = "Shoot Files(*.shoot)|*.shoot|";

CShootControlUI* ShootPanelOf(TNotifyUI& msg) {
    for (ui::CControlUI* c = msg.pSender; c != nullptr; c = c->GetParent())
        if (void* panel = c->GetInterface("ShootControl"))
            return static_cast<CShootControlUI*>(panel);
    return nullptr;
}

CQuorvaneMouseDevice* MouseOf(TNotifyUI& msg) {
    for (ui::CControlUI* c = msg.pSender; c != nullptr; c = c->GetParent())
        if (void* mouse = c->GetInterface("QuorvaneMouseDevice"))
            return static_cast<CQuorvaneMouseDevice*>(mouse);
    return nullptr;
}

bool BecameSelected(TNotifyUI& msg) {
    auto* option = static_cast<ui::COptionUI*>(msg.pSender->GetInterface("Option"));
    return option == nullptr || option->IsSelected();
}

}  // namespace

void CMainWnd::BindRecoilHandlers() {
    auto report = [this](const macros::RecoilResult& result) {
        if (!result.ok) ShowMessageText(result.message);
        for (const std::string& note : result.notes) DebugOutput(note);
    };
    handlers_["RecoilOperation"] = [this, report](TNotifyUI& msg, int) {
        CShootControlUI* panel = ShootPanelOf(msg);
        if (panel == nullptr) return;
        const std::string name = msg.pSender->GetName();
        if (ui::EqualNoCase(name, "bullet_selected_prev")) {
            panel->SelectBullet(panel->Bullet() - 1);
        } else if (ui::EqualNoCase(name, "bullet_selected_next")) {
            panel->SelectBullet(panel->Bullet() + 1);
        } else if (ui::EqualNoCase(name, "shootdate_reset_btn")) {
            report(macros::ResetPattern(panel->UserFolder(), panel->DefaultFolder(),
                                        panel->Pattern()));
            panel->LoadBullet();
        } else if (ui::EqualNoCase(name, "shootdate_import_btn")) {
            std::string path;
            if (!ui::OpenFileDialog(kShootFilter, GetHWND(), &path) || path.empty()) return;
            report(macros::ImportPattern(panel->UserFolder(), panel->Pattern(), path));
            panel->SelectBullet(panel->Bullet());
        } else if (ui::EqualNoCase(name, "shootdate_export_btn")) {
            std::string path;
            if (!ui::SaveFileDialog(kShootFilter, GetHWND(), &path) || path.empty()) return;
            // The dialog has asked before replacing a file.
            report(macros::ExportPattern(panel->UserFolder(), panel->DefaultFolder(),
                                         panel->Pattern(), path, true));
        } else if (ui::EqualNoCase(name, "shootdate_save_btn")) {
            CQuorvaneMouseDevice* mouse = MouseOf(msg);
            if (mouse == nullptr) return;
            mouse->QueueShootData([this, mouse](const macros::MacroUploadResult& result) {
                if (result.eventsTooMany > 0)
                    ShowMessageText("shoot_too_long_text", result.eventsTooMany);
                else if (result.linkDown)
                    ShowMessageText("message_text_7");
                else if (result.result != CMD_OK)  // the mouse is away, or a command failed
                    ShowMessageText("shoot_save_failed_text");
                else
                    NoteWritten(*mouse);
            });
        }
    };
    handlers_["RecoilWeapon"] = [](TNotifyUI& msg, int index) {
        if (CShootControlUI* panel = ShootPanelOf(msg); panel && BecameSelected(msg))
            panel->SelectPattern(index);
    };
    handlers_["RecoilBullet"] = [](TNotifyUI& msg, int index) {
        if (CShootControlUI* panel = ShootPanelOf(msg); panel && BecameSelected(msg))
            panel->SelectBullet(index);
    };
    handlers_["RecoilAxis"] = [](TNotifyUI& msg, int) {
        if (CShootControlUI* panel = ShootPanelOf(msg)) panel->ShowAxisTexts();
    };
    handlers_["RecoilValueTyped"] = [](TNotifyUI& msg, int) {
        if (CShootControlUI* panel = ShootPanelOf(msg)) panel->SaveBullet();
    };
}

}  // namespace vivori::app
