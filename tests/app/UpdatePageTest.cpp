// The settings window's update page in the application, against a local update service
// and the real updater program.
#include <json/json.h>
#include <signal.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/AppMessages.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "panels/CUpdateInfoListItemUI.h"
#include "panels/CUpdatePageUI.h"
#include "profiles/JsonFile.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/CResourceManager.h"
#include "ui/qt/OffscreenSurface.h"
#include "update/Downloader.h"
#include "update/HttpClient.h"
#include "update/LocalServers.h"

namespace vivori::testing {
namespace {

// The SHA-256 of text, as the service gives it for a download.
std::string Sha256Of(const std::string& text) {
    char pattern[] = "/tmp/vivori-sha-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) return {};
    const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    const std::string digest = written ? update::FileSha256(pattern) : std::string();
    unlink(pattern);
    return digest;
}

// The updater this process started, found among its children by name; 0 when none.
pid_t RunningUpdater() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        int parent = 0;
        rest >> state >> parent;
        if (line.substr(open + 1, close - open - 1) == "vivori-updater" && parent == getpid() &&
            state != 'Z')
            return pid_t(std::stoi(line.substr(0, open)));
    }
    return 0;
}

class UpdatePageTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        server = LocalServer::Http([this](httplib::Server& s) {
            s.Post("/api/updates", [this](const httplib::Request& request,
                                          httplib::Response& response) {
                ++asked;
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                if (!failure.empty()) return Fail(response);
                const bool application = request.body.find("app_key=VLT_0_") == 0;
                const std::string file = base + (application ? "ap.bin" : "kb.bin");
                const std::string digest = Sha256Of("image of /api/" + file.substr(base.size()));
                const std::string sha = application || keyboardDigest
                                            ? R"(,"sha256":")" + digest + "\""
                                            : std::string();
                if (application)
                    response.set_content(R"({"name":"AP","version":")" + appVersion +
                                             R"(","version_name":"2.0.1","path":")" + file +
                                             "\"" + sha + "}",
                                         "application/json");
                else
                    response.set_content(R"({"name":"../kb55 firmware","version":"102","path":")" +
                                             file + "\"" + sha + "}",
                                         "application/json");
            });
            // Slow enough that the window is seen refusing to close meanwhile; held
            // while a test wants the updater in the middle of a download.
            s.Get(R"(/api/(kb|ap)\.bin)",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      std::this_thread::sleep_for(std::chrono::milliseconds(400));
                      for (int i = 0; i < 1000 && holdDownloads && !released; ++i)
                          std::this_thread::sleep_for(std::chrono::milliseconds(10));
                      response.set_content("image of " + request.path, "application/octet-stream");
                  });
        });
        base = server->Url();
        setenv("VIVORI_UPDATE_URL", base.c_str(), 1);
        // The updater inherits it: the downloads stay in this test's folder.
        char pattern[] = "/tmp/vivori-updates-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        temp = pattern;
        setenv("XDG_CACHE_HOME", temp.c_str(), 1);
        // The local service speaks plain http, which only this setting lets through.
        const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
        Json::Value settings(Json::objectValue);
        settings[update::kUpdateLoopbackHttpKey] = true;
        ASSERT_TRUE(profiles::WriteJsonFile(folders.SettingsFolder() / "settings.json", settings));
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            shown.push_back(request.text);
            return 1;
        });
    }
    void TearDown() override {
        released = true;
        app::CMsgWnd::SetAnswerForTests(nullptr);
        unsetenv("VIVORI_UPDATE_URL");
        unsetenv("XDG_CACHE_HOME");
        update::SetHttpDefaults(update::HttpSettings{});
        AppTest::TearDown();
        server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(temp, ignored);
    }
    void Fail(httplib::Response& response) {
        if (failure == "404") {
            response.status = 404;
            response.set_content("<html><body>Not Found</body></html>", "text/html");
        } else if (failure == "redirect") {
            response.status = 302;
            response.set_header("Location", "https://example.invalid/");
        } else if (failure == "garbage") {
            response.set_content("<html>maintenance</html>", "text/html");
        } else if (failure == "truncated") {
            // Announces more than it sends, then hangs up.
            response.set_content_provider(
                200, "application/json", [](size_t offset, size_t, httplib::DataSink& sink) {
                    if (offset > 0) return false;
                    sink.write(R"({"name":"AP","version":"999",)", 29);
                    return true;
                });
        } else if (failure == "trickle") {
            // One byte now and then: never stalled, never finished.
            response.set_chunked_content_provider(
                "application/json", [this](size_t offset, httplib::DataSink& sink) {
                    if (released || offset > 100) return false;
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    return sink.write(" ", 1);
                });
        }
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
    ui::CControlUI* FindInSettings(std::string_view name) {
        ui::CPaintManagerUI* manager = SettingsManager();
        return manager ? manager->FindControl(name) : nullptr;
    }
    void ClickInSettings(std::string_view name) {
        ui::CControlUI* control = FindInSettings(name);
        ASSERT_NE(control, nullptr) << name;
        SettingsManager()->SendNotify(control, ui::kNotifyClick);
    }
    void PlugKeyboard() {
        Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] {
            auto* keyboard =
                dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
            return keyboard && keyboard->KeySlotCount() > 0;
        }));
    }
    // Opens the settings window and waits for its check to end.
    panels::CUpdatePageUI* CheckedPage(int timeoutMs = 5000) {
        ui::SendMessage(Window().GetHWND(), app::kMsgOpenSettings, 0, 0);
        panels::CUpdatePageUI* page = Page();
        if (page == nullptr) return nullptr;
        if (!PumpUntil([&] { return page->Overall() != update::kOverallChecking; }, timeoutMs))
            return nullptr;
        return page;
    }
    std::filesystem::path UpdateFolder() const {
        return temp / std::string(profiles::kApplicationName) / "UpdateData";
    }

    std::filesystem::path temp;
    std::unique_ptr<LocalServer> server;
    std::string base;                // the service's address
    std::vector<std::string> shown;  // the message boxes' texts
    std::string appVersion = "200";
    std::string failure;  // how the service fails, or empty
    bool keyboardDigest = true;
    std::atomic<bool> holdDownloads{false};
    std::atomic<bool> released{false};
    std::atomic<int> asked{0};
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
    EXPECT_EQ(page->Data(0).displayName, "Keyboard");
    EXPECT_EQ(page->Row(0)->Child("check_name_select")->GetText(), "Keyboard");
    EXPECT_EQ(page->Data(0).currentVersionText, "V0001");
    EXPECT_EQ(page->Data(0).newVersionText, "V102");
    EXPECT_EQ(page->Data(0).state, update::kStateNeedUpdate);
    // In the private folder, named as what it is.
    EXPECT_EQ(page->Data(0).localFile, UpdateFolder() / "kb55 firmware.bin");
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

TEST_F(UpdatePageTest, ErrorPagesRedirectsGarbageAndCutOffAnswersAreFailuresNotUpToDate) {
    Start();
    PlugKeyboard();
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    for (const char* how : {"404", "redirect", "garbage", "truncated"}) {
        failure = how;
        panels::CUpdatePageUI* page = CheckedPage();
        ASSERT_NE(page, nullptr) << how;
        EXPECT_EQ(page->Overall(), update::kOverallUnreachable) << how;
        ASSERT_EQ(page->RowCount(), 2u) << how;
        for (size_t i = 0; i < page->RowCount(); ++i) {
            EXPECT_EQ(page->Data(i).state, update::kStateNotChecked) << how;
            EXPECT_TRUE(page->Data(i).failed) << how;
        }
        EXPECT_FALSE(FindInSettings("update_fw_and_ap")->IsVisible()) << how;
        // Nothing was learnt: the date of the last check stays as it was (none).
        EXPECT_FALSE(update::ReadCheckDate(folders)) << how;
        const ui::HWND hwnd = Settings();
        ClickInSettings("closebtn");
        ASSERT_TRUE(PumpUntil([&] { return !ui::IsWindow(hwnd); })) << how;
    }
    // An answer that is one moves the date.
    failure.clear();
    ASSERT_NE(CheckedPage(), nullptr);
    EXPECT_EQ(update::ReadCheckDate(folders), update::TodayText());
}

TEST_F(UpdatePageTest, WithoutAnAddressNothingIsAskedAndNothingOffered) {
    unsetenv("VIVORI_UPDATE_URL");
    Start();
    PlugKeyboard();
    panels::CUpdatePageUI* page = CheckedPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Overall(), update::kOverallUnreachable);
    EXPECT_EQ(FindInSettings("Update_Status_text")->GetText(),
              ui::CResourceManager::GetInstance().ResolveText("UpdateNoAddressText"));
    ASSERT_EQ(page->RowCount(), 2u);
    for (size_t i = 0; i < page->RowCount(); ++i) {
        EXPECT_EQ(page->Data(i).state, update::kStateNotChecked);
        EXPECT_FALSE(page->Row(i)->Ticked());
    }
    EXPECT_FALSE(FindInSettings("update_fw_and_ap")->IsVisible());
    EXPECT_EQ(asked.load(), 0);
}

TEST_F(UpdatePageTest, AnUpdateWithoutADigestIsNotOfferedAndThePageSaysWhy) {
    keyboardDigest = false;
    appVersion = "201";
    Start();
    PlugKeyboard();
    panels::CUpdatePageUI* page = CheckedPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->RowCount(), 2u);
    EXPECT_EQ(page->Data(0).state, update::kStateFailed);
    EXPECT_FALSE(page->Data(0).refusal.empty());
    EXPECT_FALSE(page->Row(0)->Ticked());
    // The application's update has its digest and is offered.
    EXPECT_EQ(page->Data(1).state, update::kStateNeedUpdate);
    EXPECT_TRUE(page->Row(1)->Ticked());
    EXPECT_EQ(page->Overall(), update::kOverallUpdates);
    const std::string note = FindInSettings("update_file_note")->GetText();
    EXPECT_NE(note.find("SHA-256"), std::string::npos) << note;
    EXPECT_NE(note.find("Keyboard"), std::string::npos) << note;
    EXPECT_EQ(page->Confirm().size(), 1u);
}

TEST_F(UpdatePageTest, AKilledUpdaterFailsItsUnfinishedRowsAndTheWindowCloses) {
    appVersion = "201";
    holdDownloads = true;
    Start(true);
    PlugKeyboard();
    panels::CUpdatePageUI* page = CheckedPage();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Overall(), update::kOverallUpdates);
    ClickInSettings("update_fw_and_ap");
    ClickInSettings("update_OK_btn");
    pid_t updater = 0;
    ASSERT_TRUE(PumpUntil([&] { return (updater = RunningUpdater()) != 0; }, 3000));
    ASSERT_EQ(kill(updater, SIGKILL), 0);
    ASSERT_TRUE(PumpUntil([&] { return page->CanClose(); }, 3000));
    EXPECT_EQ(page->Data(0).state, update::kStateFailed);
    EXPECT_EQ(page->Data(1).state, update::kStateFailed);
    EXPECT_NE(page->Overall(), update::kOverallUpdating);
    EXPECT_FALSE(FindInSettings("update_file_note")->GetText().empty());
    const ui::HWND hwnd = Settings();
    ClickInSettings("laterbtn");
    EXPECT_TRUE(PumpUntil([&] { return !ui::IsWindow(hwnd); }));
    EXPECT_TRUE(shown.empty());
}

TEST_F(UpdatePageTest, ATricklingServiceRunsIntoTheOverallDeadlineAndThePageShowsAFailure) {
    failure = "trickle";
    update::HttpSettings quick;
    quick.totalTimeoutMs = 700;
    update::SetHttpDefaults(quick);
    Start();
    const auto start = std::chrono::steady_clock::now();
    panels::CUpdatePageUI* page = CheckedPage(4000);
    ASSERT_NE(page, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
    EXPECT_EQ(page->Overall(), update::kOverallUnreachable);
    ASSERT_EQ(page->RowCount(), 1u);
    EXPECT_EQ(page->Data(0).state, update::kStateNotChecked);
}

}  // namespace
}  // namespace vivori::testing
