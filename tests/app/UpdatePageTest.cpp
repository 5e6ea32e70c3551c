// The settings window's update page in the application, against a local update service
// and the real updater program.
#include "AppFixture.h"
#include "app/AppMessages.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "panels/CUpdateInfoListItemUI.h"
#include "panels/CUpdatePageUI.h"
#include "profiles/JsonFile.h"
#include "ui/core/CMenuWnd.h"
#include "ui/qt/OffscreenSurface.h"
#include "update/Downloader.h"
#include "update/LocalServers.h"

namespace vivori::testing {
namespace {

class UpdatePageTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        server = LocalServer::Http([this](httplib::Server& s) {
            s.Post("/api/updates", [this](const httplib::Request& request,
                                          httplib::Response& response) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                const bool application = request.body.find("app_key=VLT_0_") == 0;
                const std::string file = base + (application ? "ap.bin" : "kb.bin");
                if (application)
                    response.set_content(R"({"name":"AP","version":")" + appVersion +
                                             R"(","version_name":"2.0.1","path":")" + file + "\"}",
                                         "application/json");
                else
                    response.set_content(
                        R"({"name":"../kb55 firmware","version":"102","path":")" + file + "\"}",
                        "application/json");
            });
            // Slow enough that the window is seen refusing to close meanwhile.
            s.Get(R"(/api/(kb|ap)\.bin)",
                  [](const httplib::Request& request, httplib::Response& response) {
                      std::this_thread::sleep_for(std::chrono::milliseconds(400));
                      response.set_content("image of " + request.path, "application/octet-stream");
                  });
        });
        base = server->Url();
        setenv("VIVORI_UPDATE_URL", base.c_str(), 1);
        // The updater inherits it: the downloads stay in this test's folder.
        char pattern[] = "/tmp/vivori-updates-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        temp = pattern;
        setenv("TMPDIR", temp.c_str(), 1);
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            shown.push_back(request.text);
            return 1;
        });
    }
    void TearDown() override {
        app::CMsgWnd::SetAnswerForTests(nullptr);
        unsetenv("VIVORI_UPDATE_URL");
        unsetenv("TMPDIR");
        AppTest::TearDown();
        server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(temp, ignored);
    }

    ui::HWND Settings() { return Window().ChildWindow(0); }
    ui::CPaintManagerUI* SettingsManager() {
        for (ui::CPaintManagerUI* manager : ui::CPaintManagerUI::AllManagers())
            if (manager->GetPaintWindow() == Settings() && Settings() != 0) return manager;
        return nullptr;
    }
    panels::CUpdatePageUI* Page() {
        ui::CPaintManagerUI* manager = SettingsManager();
        ui::CControlUI* page = manager ? manager->FindControl("update_page") : nullptr;
        return page ? static_cast<panels::CUpdatePageUI*>(
                          page->GetInterface(panels::CUpdatePageUI::kInterface))
                    : nullptr;
    }
    void ClickInSettings(std::string_view name) {
        ui::CPaintManagerUI* manager = SettingsManager();
        ASSERT_NE(manager, nullptr);
        ui::CControlUI* control = manager->FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        manager->SendNotify(control, ui::kNotifyClick);
    }
    void PlugKeyboard() {
        Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] {
            auto* keyboard =
                dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
            return keyboard && keyboard->KeySlotCount() > 0;
        }));
    }

    std::filesystem::path temp;
    std::unique_ptr<LocalServer> server;
    std::string base;                // the service's address
    std::vector<std::string> shown;  // the message boxes' texts
    std::string appVersion = "200";
    int delayMs = 0;
};

TEST_F(UpdatePageTest, TheGearOpensTheSettingsWindowWhosePageChecksTheKeyboardAndTheApplication) {
    Start();
    PlugKeyboard();
    Click("setbtn");
    ASSERT_TRUE(ui::IsWindow(Settings()));
    panels::CUpdatePageUI* page = Page();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return page->Overall() != update::kOverallChecking; }, 5000));
    ASSERT_EQ(page->RowCount(), 2u);
    EXPECT_EQ(page->Data(0).displayName, "MS");
    EXPECT_EQ(page->Data(0).currentVersionText, "V0001");
    EXPECT_EQ(page->Data(0).newVersionText, "V102");
    EXPECT_EQ(page->Data(0).state, update::kStateNeedUpdate);
    EXPECT_EQ(page->Data(0).localFile.parent_path(), temp / "UpdateData");
    EXPECT_EQ(page->Data(1).state, update::kStateUpToDate);
    EXPECT_EQ(page->Overall(), update::kOverallUpdates);
    EXPECT_TRUE(page->Row(0)->Ticked());
    EXPECT_TRUE(ui::SaveWindowPng(*SettingsManager(), VIVORI_SCREENSHOT_DIR "/update.png"));

    // A second click leaves the one window as it is.
    Click("setbtn");
    EXPECT_EQ(Page(), page);

    // The row the updater finished is current: everything is, and after a language
    // switch the line (a language text and the date) is in the new language.
    page->Confirm();
    ui::SendMessage(Settings(), app::kMsgUpdaterEvent, update::kEventFinished, 0);
    EXPECT_EQ(page->Data(0).currentVersionText, "V102");
    EXPECT_EQ(page->Overall(), update::kOverallUpToDate);
    ui::SendMessage(Window().GetHWND(), app::kMsgLanguageChanged, 1, 0);
    PumpFor(20);
    EXPECT_EQ(SettingsManager()->FindControl("Update_Status_text")->GetText().rfind("已是最新", 0),
              0u);
}

TEST_F(UpdatePageTest, ConfirmedRowsAreDownloadedByTheUpdaterAndTheWindowWaitsForThem) {
    appVersion = "201";  // both rows have a successor
    Start(true);         // listening for the updater's messages
    PlugKeyboard();
    ui::SendMessage(Window().GetHWND(), app::kMsgOpenSettings, 0, 0);
    panels::CUpdatePageUI* page = Page();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return page->Overall() == update::kOverallUpdates; }, 5000));
    ClickInSettings("update_fw_and_ap");
    ClickInSettings("update_OK_btn");
    EXPECT_EQ(page->Overall(), update::kOverallUpdating);
    EXPECT_EQ(page->Data(0).state, update::kStateDownloadWait);
    EXPECT_EQ(page->Data(1).state, update::kStateDownloadWait);

    // Closing is refused, with a word to the user, while the updater works.
    ClickInSettings("laterbtn");
    PumpFor(50);
    EXPECT_TRUE(ui::IsWindow(Settings()));
    EXPECT_EQ(shown, std::vector<std::string>{"update_busy_text"});

    // Each row is reported once, in order, though the updater's message reaches every
    // window of the process.
    ASSERT_TRUE(PumpUntil([&] { return page->Data(0).state == update::kStateDownloadDone; }, 8000));
    EXPECT_NE(page->Data(1).state, update::kStateDownloadDone);
    ASSERT_TRUE(PumpUntil([&] { return page->Data(1).state == update::kStateDownloadDone; }, 8000));
    PumpFor(100);
    EXPECT_EQ(profiles::ReadTextFile(page->Data(0).localFile).value_or(""), "image of /api/kb.bin");
    EXPECT_EQ(profiles::ReadTextFile(page->Data(1).localFile).value_or(""), "image of /api/ap.bin");
    // Downloaded is not installed: the page does not call that up to date.
    EXPECT_EQ(page->Overall(), update::kOverallDownloaded);

    ClickInSettings("laterbtn");
    EXPECT_TRUE(PumpUntil([&] { return !ui::IsWindow(Settings()); }));
}

TEST_F(UpdatePageTest, ASlowServiceDoesNotHoldTheSettingsWindowOpen) {
    delayMs = 3000;
    Start();
    ui::PostMessage(Window().GetHWND(), ui::WM_MENUCLICK,
                    ui::WPARAM(new ui::MenuCmd{"setwnd_menu", "", ""}), 0);
    ASSERT_TRUE(PumpUntil([&] { return Page() != nullptr; }));
    PumpFor(200);
    EXPECT_EQ(Page()->Overall(), update::kOverallChecking);
    const ui::HWND hwnd = Settings();
    const auto start = std::chrono::steady_clock::now();
    ClickInSettings("closebtn");
    EXPECT_TRUE(PumpUntil([&] { return !ui::IsWindow(hwnd); }, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace vivori::testing
