// The update page in the application, against a local update service.
#include "AppFixture.h"
#include "app/windows/UpdateWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "panels/CUpdateInfoListItemUI.h"
#include "panels/CUpdatePageUI.h"
#include "ui/qt/OffscreenSurface.h"
#include "update/LocalServers.h"

namespace vivori::testing {
namespace {

class UpdateWindowTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        server = LocalServer::Http([this](httplib::Server& s) {
            s.Post("/api/updates", [this](const httplib::Request& request,
                                          httplib::Response& response) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                // The application is current; the keyboard's firmware has a successor.
                if (request.body.find("app_key=VLT_0_") == 0)
                    response.set_content(R"({"name":"AP","version":"200","version_name":"2.0.0"})",
                                         "application/json");
                else
                    response.set_content(
                        R"({"name":"../kb55 firmware","version":"102","path":"http://127.0.0.1:1/kb.bin"})",
                        "application/json");
            });
        });
        setenv("VIVORI_UPDATE_URL", server->Url().c_str(), 1);
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    }
    void TearDown() override {
        unsetenv("VIVORI_UPDATE_URL");
        AppTest::TearDown();
        server.reset();
    }
    app::CUpdateWnd* Open() { return Window().OpenUpdateWindow(); }

    std::unique_ptr<LocalServer> server;
    int delayMs = 0;
};

TEST_F(UpdateWindowTest, CheckListsTheAttachedKeyboardAndTheApplication) {
    Start();
    Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] {
        auto* keyboard = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
        return keyboard && keyboard->KeySlotCount() > 0;
    }));
    app::CUpdateWnd* window = Open();
    ASSERT_NE(window, nullptr);
    panels::CUpdatePageUI* page = window->Page();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return page->Overall() != update::kOverallChecking; }, 5000));
    ASSERT_EQ(page->RowCount(), 2u);
    EXPECT_EQ(page->Data(0).displayName, "MS");
    EXPECT_EQ(page->Data(0).currentVersionText, "V0001");
    EXPECT_EQ(page->Data(0).newVersionText, "V102");
    EXPECT_EQ(page->Data(0).state, update::kStateNeedUpdate);
    EXPECT_EQ(page->Data(0).localFile.parent_path().filename(), "UpdateData");
    EXPECT_EQ(page->Data(1).state, update::kStateUpToDate);
    EXPECT_EQ(page->Overall(), update::kOverallUpdates);
    EXPECT_TRUE(page->Row(0)->Ticked());
    EXPECT_TRUE(ui::SaveWindowPng(window->PaintManager(), VIVORI_SCREENSHOT_DIR "/update.png"));

    // The updater's messages move the row along; closing waits for the download.
    page->Confirm();
    EXPECT_EQ(page->Data(0).state, update::kStateDownloadWait);
    page->OnProgress(4, 40);
    EXPECT_EQ(page->Data(0).state, update::kStateDownloading);
    EXPECT_FALSE(page->CanClose());
    page->OnProgress(5, 0);
    EXPECT_EQ(page->Data(0).state, update::kStateDownloadDone);
    EXPECT_TRUE(page->CanClose());
}

TEST_F(UpdateWindowTest, SlowServiceDoesNotHoldTheWindowOpen) {
    delayMs = 3000;
    Start();
    app::CUpdateWnd* window = Open();
    ASSERT_NE(window, nullptr);
    PumpFor(200);
    EXPECT_EQ(window->Page()->Overall(), update::kOverallChecking);
    const ui::HWND hwnd = Window().UpdateWindow();
    const auto start = std::chrono::steady_clock::now();
    window->Close(ui::IDCANCEL);
    EXPECT_TRUE(PumpUntil([&] { return !ui::IsWindow(hwnd); }, 2000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

}  // namespace
}  // namespace vivori::testing
