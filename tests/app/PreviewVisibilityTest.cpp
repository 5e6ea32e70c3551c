// The keyboard page's light preview while the window can be seen but is not the one in
// use, and while it is minimised. Built twice: offscreen, and on a private X server
// (VIVORI_ON_XVFB), where the pictures are read back from the screen itself.
#include <QApplication>
#include <QImage>
#include <QScreen>

#include "AppFixture.h"
#include "app/CMainWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "support/XvfbServer.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/QtWindowHost.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::testing {
namespace {

class PreviewVisibilityTest : public AppTest {
  protected:
    void TearDown() override {
        AppTest::TearDown();
        ui::SetWindowHostFactory({});
    }

    static void SetUpTestSuite() {
#ifdef VIVORI_ON_XVFB
        server_ = new XvfbServer();
        if (!server_->Running()) return;
        setenv("DISPLAY", server_->Display().c_str(), 1);
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "app_screen_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
#endif
    }

    void SetUp() override {
#ifdef VIVORI_ON_XVFB
        if (!server_->Running()) GTEST_SKIP() << "no X server: " << server_->Reason();
#endif
        AppTest::SetUp();
        // Real Qt windows, so painting goes through the widget as on a desktop.
        ui::InstallQtWindowHosts();
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        Start();
        keyboard_ = Plug("keyboard");
        ASSERT_TRUE(PumpUntil(
            [&] {
                auto* device = Window().CurrentDevice();
                return device != nullptr && device->Commands().IsOpen();
            },
            8000));
        // The profile's colour wave, as choosing the keyboard's entry starts it.
        Window().CurrentDevice()->ApplyProfileLighting();
        Window().ShowWindow(true);
        ASSERT_TRUE(PumpUntil(
            [&] {
                ui::CControlUI* light = Window().PaintManager().FindSubControlByName(
                    Find("device_key_light"), "light_0");
                return light != nullptr && light->IsVisible();
            },
            5000));
    }

    devices::CQuorvaneKeyboardDevice& Keyboard() {
        return *dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
    }
    // The host-driven mode, whose colours the host streams to the keyboard.
    void StreamToTheKeyboard() {
        auto light = Keyboard().Profile().GetLightInfo();
        light.selectItem = static_cast<uint8_t>(devices::kLevelMode);
        Keyboard().Profile().SetLightInfo(light);
        Keyboard().ApplyProfileLighting();
        const int values[] = {200, 100, 50};
        Keyboard().SetLevelInput(values, 3);
        ASSERT_TRUE(PumpUntil([&] { return Keyboard().LightFramesSent() > 10; }, 5000));
    }

    // The toolkit's messages and Qt's own events, painting included.
    void PumpFor(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            ui::PumpMessages();
            QCoreApplication::processEvents();
            Sleep(2);
        }
    }
    // Light frames sent to the keyboard while the loop runs for ms.
    uint64_t FramesOver(int ms) {
        const uint64_t before = Keyboard().LightFramesSent();
        PumpFor(ms);
        return Keyboard().LightFramesSent() - before;
    }
    std::uint64_t PaintsOver(int ms) {
        const std::uint64_t before = Window().PaintManager().PaintCount();
        PumpFor(ms);
        return Window().PaintManager().PaintCount() - before;
    }

    // The keyboard picture as it is on the screen (or, offscreen, as it paints).
    QImage KeyArea() {
        const ui::UiRect& area = Find("device_key_light")->GetPos();
#ifdef VIVORI_ON_XVFB
        const double scale = Window().Dpi() / 96.0;
        const ui::UiRect window = Window().Host()->GetRect();
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, window.left + int(area.left * scale),
                         window.top + int(area.top * scale), int(area.Width() * scale),
                         int(area.Height() * scale))
            .toImage();
#else
        return ui::RenderWindow(Window().PaintManager())
            .copy(area.left, area.top, area.Width(), area.Height());
#endif
    }

    std::shared_ptr<sim::SimDevice> keyboard_;
#ifdef VIVORI_ON_XVFB
    static inline XvfbServer* server_ = nullptr;
#endif
};

TEST_F(PreviewVisibilityTest,
       AVisibleWindowShowsTheLiveWaveFocusedOrNotAndAMinimisedOnePaintsNothing) {
    // Another window has the focus; nothing was clicked.
    Window().SetWindowActive(false);
    PumpFor(300);
    ASSERT_TRUE(Window().Host()->IsExposed());
    ASSERT_TRUE(Keyboard().IsWindowActive());
    const QImage first = KeyArea();
    PumpFor(1000);
    EXPECT_NE(KeyArea(), first) << "the wave stood still on a visible window";
    // A slower picture rate while unfocused: about 20 a second.
    const std::uint64_t unfocused = PaintsOver(1000);
    EXPECT_GE(unfocused, 5u);
    EXPECT_LE(unfocused, 25u);

    // In use, at most one picture per screen refresh, while the keyboard gets its
    // frames at the cable's rate of 100 a second (fewer on a loaded machine).
    Window().SetWindowActive(true);
    StreamToTheKeyboard();
    EXPECT_LE(PaintsOver(1000), 65u);
    EXPECT_GE(FramesOver(1000), 40u);

    ui::SendMessage(Window().GetHWND(), ui::WM_SYSCOMMAND, ui::SC_MINIMIZE, 0);
    PumpFor(300);
    EXPECT_EQ(PaintsOver(1000), 0u);
    EXPECT_GE(FramesOver(1000), 40u) << "the device's frames keep their own clock";
}

}  // namespace
}  // namespace vivori::testing
