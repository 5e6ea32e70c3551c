// The shell's child windows: settings (with the update page), about and the
// background chooser, and the background the user chose last.

#include "app/CMainWnd.h"
#include "app/LanguageFonts.h"
#include "app/windows/CAboutWnd.h"
#include "app/windows/CSetWnd.h"
#include "app/windows/CSkinFrame.h"
#include "profiles/LanguageConfig.h"
#include "profiles/SkinSetting.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

namespace {

constexpr int kSettings = 0;
constexpr int kAbout = 1;

}  // namespace

void CMainWnd::BindShellHandlers() {
    handlers_["OpenSkinWindow"] = [this](TNotifyUI&, int) { OpenSkinWindow(); };
    handlers_["OpenSettingsAnchored"] = [this](TNotifyUI&, int) { OpenSettingsWindow(true); };
    CSkinFrame::Subscribe([this](const SkinChangedParam& param) { OnSkinChanged(param); });
}

void CMainWnd::OpenSettingsWindow(bool anchored) {
    HWND& open = childWindows_[kSettings];
    if (open != 0 && IsWindow(open)) return;
    // Anchored: the top-right corner 30 (scaled) left of the window's right edge and 60
    // below its top.
    std::optional<UiPoint> topRight;
    if (anchored && host_) {
        const UiRect window = host_->GetRect();
        topRight = UiPoint{window.right - pm_.Scale(30), window.top + pm_.Scale(60)};
    }
    // The language list names each language in its own letters.
    if (options_.fonts) options_.fonts->LoadCjk();
    std::vector<std::string> texts;
    for (const auto& entry : profiles::ReadLanguageConfig(
             profiles::LanguageConfigFile(profiles::DataFolders::FromEnvironment())))
        texts.push_back(entry.text);
    SdkSetup sdk;
    sdk.setting = profiles::ReadSdkServerSetting(profiles::DataFolders::FromEnvironment());
    // Turned on for this run from the command line: the box says so.
    if (sdkOptions_ && !sdk.setting.enabled)
        sdk.setting = {true, sdkOptions_->address, sdkOptions_->port};
    sdk.apply = [this](const profiles::SdkServerSetting& setting) {
        profiles::WriteSdkServerSetting(profiles::DataFolders::FromEnvironment(), setting);
        const bool listening =
            SetSdkServer(setting.enabled ? std::optional(sdk::ServerOptions{
                                               .address = setting.address, .port = setting.port})
                                         : std::nullopt);
        return listening ? std::string() : sdkError_;
    };
    open = CSetWnd::Open(GetHWND(), std::move(texts), languageIndex_, dpi_, PrepareUpdateCheck(),
                         topRight, std::move(sdk));
}

void CMainWnd::OpenAboutWindow() {
    HWND& open = childWindows_[kAbout];
    if (open != 0 && IsWindow(open)) return;
    open = CAboutWnd::Open(GetHWND(), VIVORI_VERSION, dpi_);
}

void CMainWnd::OpenSkinWindow() {
    if (skinFrame_ != 0 && IsWindow(skinFrame_)) return;
    CControlUI* button = pm_.FindControl("skinbtn");
    if (button == nullptr || !host_) return;
    // The button's place is in layout units; the screen's are pixels.
    const UiRect window = host_->GetRect();
    const UiRect pos = button->GetPos();
    const UiRect anchor{window.left + pm_.Scale(pos.left), window.top + pm_.Scale(pos.top),
                        window.left + pm_.Scale(pos.right), window.top + pm_.Scale(pos.bottom)};
    skinFrame_ = CSkinFrame::Open(GetHWND(), anchor, dpi_);
}

void CMainWnd::OnSkinChanged(const SkinChangedParam& param) {
    CControlUI* root = pm_.FindControl("root");
    if (root == nullptr) return;
    if (param.isColour) {
        root->SetBkColor(param.colour);
        root->SetBkImage("");
    } else {
        root->SetBkColor(0);
        root->SetBkImage(param.image);
    }
    root->Invalidate();
}

void CMainWnd::RestoreSkin() {
    // Read only: a damaged file stays as it is until the user chooses again.
    const auto choice =
        profiles::ReadSkinChoice(profiles::MainIniFile(profiles::DataFolders::FromEnvironment()));
    if (!choice || choice->kind == profiles::SkinChoice::Kind::Reset) return;
    OnSkinChanged(
        {choice->kind == profiles::SkinChoice::Kind::Colour, choice->colour, choice->image});
}

}  // namespace vivori::app
