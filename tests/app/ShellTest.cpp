#include <sys/stat.h>

#include <string>

#include "AppFixture.h"
#include "app/AppMessages.h"
#include "app/CMainWnd.h"
#include "app/windows/CAboutWnd.h"
#include "app/windows/CMsgWnd.h"
#include "app/windows/CSkinFrame.h"
#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "profiles/LanguageConfig.h"
#include "profiles/SkinSetting.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/MessageWindow.h"
#include "ui/qt/OffscreenSurface.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::testing {
namespace {

constexpr int kEnglish = 0;
constexpr int kChinese = 1;

// The shell's windows of a running application, with its own settings folder.
class ShellTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "C.UTF-8", 1);
    }
    std::filesystem::path Settings() {
        return profiles::DataFolders::FromEnvironment().SettingsFolder() / "settings.json";
    }
    std::filesystem::path MainIni() {
        return profiles::MainIniFile(profiles::DataFolders::FromEnvironment());
    }
    void Restart() {
        application.reset();
        Start();
    }
    std::string Text(ui::HWND window, const char* control) {
        for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers())
            if (manager->GetPaintWindow() == window)
                if (ui::CControlUI* found = manager->FindControl(control)) return found->GetText();
        return "(none)";
    }
    void ChooseLanguage(int index) {
        ui::SendMessage(Window().GetHWND(), app::kMsgLanguageChanged, ui::WPARAM(index), 0);
        PumpFor(20);
    }
    static std::string ReadBack(const std::filesystem::path& path) {
        return profiles::ReadTextFile(path).value_or("(unreadable)");
    }
    std::string RootImage() { return Find("root")->GetBkImage(); }
};

TEST_F(ShellTest, ALanguageSwitchReloadsTheTextsOfEveryOpenWindow) {
    Start();
    EXPECT_EQ(Window().LanguageIndex(), kEnglish);
    Window().PaintManager().SendNotify(Find("setbtn"), ui::kNotifyClick);
    ui::PostMessage(Window().GetHWND(), ui::WM_MENUCLICK,
                    ui::WPARAM(new ui::MenuCmd{"about_menu", "", ""}), 0);
    ASSERT_TRUE(PumpUntil([&] { return Window().ChildWindow(1) != 0; }));
    const ui::HWND settings = Window().ChildWindow(0), about = Window().ChildWindow(1);
    ASSERT_TRUE(ui::IsWindow(settings) && ui::IsWindow(about));
    EXPECT_EQ(Text(about, "software_ver_label"), "Software version: " VIVORI_VERSION);
    for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers()) {
        if (manager->GetPaintWindow() != about) continue;
        ui::OffscreenSurface surface(manager->GetClientSize());
        surface.Paint(*manager);
        EXPECT_TRUE(surface.SavePng(VIVORI_SCREENSHOT_DIR "/about.png"));
    }
    EXPECT_EQ(Text(settings, "Language_combox_info"), "English");
    EXPECT_EQ(Text(Window().GetHWND(), "app_title"), "TRIVEX V2");

    ChooseLanguage(kChinese);
    EXPECT_EQ(Window().LanguageIndex(), kChinese);
    EXPECT_EQ(Text(about, "software_ver_label"), "软件版本：" VIVORI_VERSION);
    EXPECT_EQ(Text(settings, "laterbtn"), "关闭");
    EXPECT_EQ(ui::CResourceManager::GetInstance().ResolveText("exit_text"), "退出");
    EXPECT_EQ(application->FontsLoaded(), 7);  // the CJK fonts came with the language
}

TEST_F(ShellTest, TheStoredLanguageComesBackAfterARestartAndADamagedFileIsLeftAlone) {
    Start();
    EXPECT_EQ(application->FontsLoaded(), 5);  // no CJK fonts for English
    ChooseLanguage(kChinese);
    EXPECT_EQ(profiles::ReadJsonFile(Settings())["LANGUAGE"], 2052);
    Restart();
    EXPECT_EQ(Window().LanguageIndex(), kChinese);

    ASSERT_TRUE(profiles::WriteFileAtomically(Settings(), "{\"LANGUAGE\": 20"));
    Restart();
    EXPECT_EQ(Window().LanguageIndex(), kEnglish);
    EXPECT_EQ(ReadBack(Settings()), "{\"LANGUAGE\": 20");
    ChooseLanguage(kChinese);
    EXPECT_EQ(profiles::ReadJsonFile(Settings())["LANGUAGE"], 2052);
}

TEST_F(ShellTest, TheFirstStartFollowsTheLocaleWhenALanguageMatches) {
    setenv("LANG", "zh_CN.UTF-8", 1);
    Start();
    EXPECT_EQ(Window().LanguageIndex(), kChinese);
    EXPECT_FALSE(std::filesystem::exists(Settings()));  // nothing chosen, nothing stored
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    Restart();
    EXPECT_EQ(Window().LanguageIndex(), kEnglish);
    unsetenv("LC_MESSAGES");
}

TEST(LanguageChoice, StoredChoiceBeatsTheLocaleAndUnknownOnesFallBackToTheFirst) {
    const std::vector<profiles::LanguageEntry> list = {{1033, "en", "", ""}, {2052, "cn", "", ""}};
    EXPECT_EQ(profiles::StartLanguageIndex(list, std::nullopt, "zh_CN.UTF-8"), 1u);
    EXPECT_EQ(profiles::StartLanguageIndex(list, std::nullopt, "zh_TW"), 0u);
    EXPECT_EQ(profiles::StartLanguageIndex(list, std::nullopt, "de_DE@euro"), 0u);
    EXPECT_EQ(profiles::StartLanguageIndex(list, std::nullopt, "C"), 0u);
    EXPECT_EQ(profiles::StartLanguageIndex(list, 1033, "zh_CN.UTF-8"), 0u);
    EXPECT_EQ(profiles::StartLanguageIndex(list, 9999, "zh_CN.UTF-8"), 0u);
    EXPECT_EQ(profiles::StartLanguageIndex({}, std::nullopt, "zh_CN"), 0u);
}

TEST_F(ShellTest, ASkinChangeIsKeptInMainIniAndCancellingTheImageDialogChangesNothing) {
    ASSERT_TRUE(
        profiles::WriteFileAtomically(MainIni(), "[OTHER]\nKEEP=1\n[SKINIMAGE]\nFLAGS=\x01\x02"));
    Start();
    EXPECT_EQ(RootImage(), profiles::kDefaultBackground);
    EXPECT_EQ(ReadBack(MainIni()), "[OTHER]\nKEEP=1\n[SKINIMAGE]\nFLAGS=\x01\x02");

    Click("skinbtn");
    ui::CPaintManagerUI* frame = nullptr;
    for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers())
        if (manager->FindControl("skin_tab")) frame = manager;
    ASSERT_NE(frame, nullptr);
    auto click = [&](std::string_view name, std::string_view userData = {}) {
        for (ui::CControlUI* c : frame->FindSubControlsByClass(frame->GetRoot(), "ButtonUI"))
            if (c->GetName() == name && (userData.empty() || c->GetUserData() == userData))
                return frame->SendNotify(c, ui::kNotifyClick);
        FAIL() << name;
    };
    click("skin_image_btn", "backgrounds/bg_ocean.png");
    EXPECT_EQ(RootImage(), "backgrounds/bg_ocean.png");
    const std::string stored = ReadBack(MainIni());
    // The file dialog takes the focus from the popup, and is cancelled: the popup
    // lives on through it (under AddressSanitizer a freed popup would be reported).
    const ui::HWND popup = frame->GetPaintWindow();
    app::CSkinFrame::SetImageChooserForTests([popup](std::string*) {
        ui::SendMessage(popup, ui::WM_KILLFOCUS, 0, 0);
        return false;
    });
    click("skin_Custom");
    EXPECT_TRUE(ui::IsWindow(popup));
    EXPECT_EQ(RootImage(), "backgrounds/bg_ocean.png");
    EXPECT_EQ(ReadBack(MainIni()), stored);
    EXPECT_NE(ReadBack(MainIni()).find("[OTHER]\nKEEP=1\n"), std::string::npos);

    // A FIFO would block every start-up that reads it: refused with its name, unopened.
    const std::filesystem::path fifo = Folder() / "background.png";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    shownMessages.clear();
    app::CSkinFrame::SetImageChooserForTests([&](std::string* path) {
        *path = fifo.string();
        return true;
    });
    click("skin_Custom");
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_NE(shownMessages[0].find(fifo.string()), std::string::npos) << shownMessages[0];
    EXPECT_EQ(ReadBack(MainIni()), stored);
    EXPECT_EQ(RootImage(), "backgrounds/bg_ocean.png");
    Restart();
    EXPECT_EQ(RootImage(), "backgrounds/bg_ocean.png");
    app::CSkinFrame::SetImageChooserForTests(nullptr);
}

TEST_F(ShellTest, TheTrayMenuShowsTheHiddenWindowAndTheAutostartEntryFollowsItsCheckBox) {
    Start();
    Click("closebtn");
    ASSERT_FALSE(Window().IsWindowVisible());
    ui::SendMessage(Window().GetHWND(), ui::WM_MENUCLICK,
                    ui::WPARAM(new ui::MenuCmd{"show_menu", "", ""}), 0);
    PumpFor(20);
    EXPECT_TRUE(Window().IsWindowVisible());

    Click("setbtn");
    ui::CPaintManagerUI* settings = nullptr;
    for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers())
        if (manager->FindControl("autostart_check")) settings = manager;
    ASSERT_NE(settings, nullptr);
    auto* check = dynamic_cast<ui::COptionUI*>(settings->FindControl("autostart_check"));
    const auto entry = profiles::DataFolders::FromEnvironment().AutostartFile();
    EXPECT_FALSE(check->IsSelected());
    check->Selected(true);
    PumpFor(20);
    const std::string text = ReadBack(entry);
    EXPECT_NE(text.find("Exec="), std::string::npos) << text;
    EXPECT_NE(text.find("\" --hidden\n"), std::string::npos) << text;
    check->Selected(false);
    PumpFor(20);
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(ShellTest, TheSystemCloseOfAChildWindowLeavesTheApplicationRunning) {
    Start();
    Window().PaintManager().SendNotify(Find("setbtn"), ui::kNotifyClick);
    const ui::HWND settings = Window().ChildWindow(0);
    ASSERT_TRUE(ui::IsWindow(settings));
    ui::PostMessage(settings, ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !ui::IsWindow(settings); }));
    PumpFor(50);
    EXPECT_TRUE(ui::IsWindow(Window().GetHWND()));
    // A second one opens again.
    Window().PaintManager().SendNotify(Find("setbtn"), ui::kNotifyClick);
    EXPECT_TRUE(ui::IsWindow(Window().ChildWindow(0)));
}

TEST(MsgWnd, AnUnknownDpiIsShownAt96AndSaysSo) {
    DebugCapture capture;
    int dpi = 0;
    app::CMsgWnd::SetAnswerForTests([&](const app::MessageRequest& request) {
        dpi = request.dpi;
        return 1;
    });
    EXPECT_EQ(
        app::CMsgWnd::ShowMessage(0, "", "message_text_5", 100, true, app::MsgButtons::Confirm), 1);
    app::CMsgWnd::SetAnswerForTests(nullptr);
    EXPECT_EQ(dpi, 96);
    EXPECT_TRUE(capture.Contains("MSG_WND DPI SET ERROR"));
}

// Looks at the message box the modal run shows, once it is up, then confirms it.
class MessageBoxLook : public ui::MessageWindow {
  public:
    MessageBoxLook() {
        CreateHandle("look", "look");
        ui::SetTimer(GetHWND(), 1, 50);
    }
    ~MessageBoxLook() override { DestroyHandle(); }
    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM, ui::LPARAM) override {
        if (msg != ui::WM_TIMER) return 0;
        for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers()) {
            ui::CControlUI* confirm = manager->FindControl("confirm_btn");
            if (confirm == nullptr || manager->FindControl("MessageText") == nullptr) continue;
            ui::KillTimer(GetHWND(), 1);
            pixels = ui::WindowPixels(*manager);
            layout = manager->GetClientSize();
            if (!screenshot.empty()) ui::SaveWindowPng(*manager, screenshot);
            manager->SendNotify(confirm, ui::kNotifyClick);
            break;
        }
        return 0;
    }
    ui::UiSize pixels{};
    ui::UiSize layout{};
    std::string screenshot;
};

TEST_F(ShellTest, AMessageBoxShowsItsWholeTextAndEveryWindowFollowsTheScale) {
    Start();
    app::CMsgWnd::SetAnswerForTests(nullptr);  // the real box, with its modal run
    const std::string longText =
        "This is the last button with the left-click. A mouse needs one button that "
        "clicks, so this change is refused; choose another button for the new function "
        "first, then change this one. Nothing was written to the mouse. The assignments "
        "of the other buttons stay as they were, and the profile file is unchanged; the "
        "macro list and the lighting are not touched by this refusal at all.";
    {
        MessageBoxLook look;
        EXPECT_EQ(app::CMsgWnd::ShowMessage(Window().GetHWND(), "", "message_text_5", 96, true,
                                            app::MsgButtons::Confirm),
                  1);
        EXPECT_EQ(look.layout.cx, 420);
        EXPECT_EQ(look.layout.cy, 200);  // a short text keeps the box's own size
    }
    int grown = 0;
    {
        MessageBoxLook look;
        app::CMsgWnd::ShowMessage(Window().GetHWND(), "", longText, 96, false,
                                  app::MsgButtons::ConfirmCancel);
        grown = look.layout.cy;
        EXPECT_GT(grown, 200);
        EXPECT_EQ(look.pixels.cy, grown);
    }
    {
        MessageBoxLook look;
        look.screenshot = VIVORI_SCREENSHOT_DIR "/scale150-message.png";
        app::CMsgWnd::ShowMessage(Window().GetHWND(), "", longText, 144, false,
                                  app::MsgButtons::ConfirmCancel);
        // The same layout, drawn half as large again.
        EXPECT_EQ(look.layout.cy, grown);
        EXPECT_EQ(look.pixels.cx, 630);
        EXPECT_EQ(look.pixels.cy, grown * 3 / 2);
    }
    // The settings and About windows take the main window's scale.
    const ui::HWND about = app::CAboutWnd::Open(Window().GetHWND(), "2.0.0", 144);
    ui::CPaintManagerUI* aboutManager = nullptr;
    for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers())
        if (manager->GetPaintWindow() == about) aboutManager = manager;
    ASSERT_NE(aboutManager, nullptr);
    EXPECT_EQ(aboutManager->GetDPI(), 144);
    EXPECT_EQ(ui::WindowPixels(*aboutManager).cx, aboutManager->GetClientSize().cx * 3 / 2);
    ui::PostMessage(about, ui::WM_CLOSE, 0, 0);
    PumpUntil([&] { return !ui::IsWindow(about); });
}

}  // namespace
}  // namespace vivori::testing
