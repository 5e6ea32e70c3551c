// The application offscreen against simulated devices on the virtual bus.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "AppFixture.h"
#include "app/AppMessages.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/MouseSettingsBlock.h"
#include "platform/Debug.h"
#include "ui/qt/GuiApplication.h"
#include "ui/qt/CTrayIcon.h"
#include "ui/qt/OffscreenSurface.h"

extern char** environ;

namespace vivori::testing {
namespace {

TEST_F(AppTest, PluggedKeyboardShowsItsSelectorEntryAndPageAndBringsTheWindowUp) {
    Start();
    EXPECT_FALSE(Window().IsWindowVisible());  // hidden until the first scan is done
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    app::CDeviceOptionUI* entry = Window().Selector().Entry(Keyboard()->SelectorValue());
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->IsOwnVisible());
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_EQ(SelectedPage(), entry->TabIndex());
    EXPECT_GT(entry->TabIndex(), 0);  // not the empty page
    EXPECT_FALSE(Find("No_device_Link")->IsOwnVisible());
    EXPECT_TRUE(Window().IsWindowVisible());
    // The command collection was opened for real: the keyboard answers through it.
    EXPECT_TRUE(Keyboard()->Commands().IsOpen());
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(),
                                  VIVORI_SCREENSHOT_DIR "/main-keyboard-test.png"));
}

TEST_F(AppTest, UnpluggedKeyboardLeavesTheNoDeviceNotice) {
    Start();
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    bus->Unplug(keyboard);
    ASSERT_TRUE(PumpUntil([&] { return Find("No_device_Link")->IsOwnVisible(); }));
    EXPECT_EQ(Window().CurrentDevice(), nullptr);
    EXPECT_EQ(Window().Selector().ShownCount(), 0);
    EXPECT_EQ(SelectedPage(), 0);
    // Plugged back, the same page comes back.
    Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    EXPECT_FALSE(Find("No_device_Link")->IsOwnVisible());
}

TEST_F(AppTest, CloseButtonHidesToTheTrayWhileDiscoveryGoesOnAndATrayClickShowsItAgain) {
    assumeTray = true;
    Start();
    auto keyboard = Plug("keyboard");
    // Shown by the arrival and by the end of discovery's first scan.
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown() && Window().IsWindowVisible(); }));
    PumpFor(200);
    Click("closebtn");
    EXPECT_FALSE(Window().IsWindowVisible());
    EXPECT_TRUE(Window().WorkersRunning());
    // Discovery still runs while hidden: a removal is seen.
    bus->Unplug(keyboard);
    ASSERT_TRUE(PumpUntil([&] { return Find("No_device_Link")->IsOwnVisible(); }));
    EXPECT_FALSE(Window().IsWindowVisible());
    ui::PostMessage(Window().GetHWND(), ui::WM_TRAYICON, 0, ui::WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return Window().IsWindowVisible(); }));
    // A second left click hides it again.
    ui::PostMessage(Window().GetHWND(), ui::WM_TRAYICON, 0, ui::WM_LBUTTONUP);
    ASSERT_TRUE(PumpUntil([&] { return !Window().IsWindowVisible(); }));
}

TEST_F(AppTest, WithoutATrayTheCloseButtonMinimisesSoTheWindowCanComeBack) {
    Start();
    ASSERT_TRUE(PumpUntil([&] { return Window().IsWindowVisible(); }));
    Click("closebtn");
    ASSERT_TRUE(PumpUntil([&] { return Window().Host()->IsMinimized(); }));
    EXPECT_TRUE(Window().IsWindowVisible());
}

TEST_F(AppTest, SecondProcessWakesTheFirstAndEndsWithZero) {
    assumeTray = true;
    Start(true);
    // The end of discovery's first scan shows the window once.
    ASSERT_TRUE(PumpUntil([&] { return Window().IsWindowVisible(); }));
    Click("closebtn");
    ASSERT_FALSE(Window().IsWindowVisible());

    char program[] = VIVORI_TRIVEX;
    char* argv[] = {program, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program, nullptr, nullptr, argv, environ), 0);
    int status = -1;
    const bool ended = PumpUntil([&] { return waitpid(child, &status, WNOHANG) == child; }, 10000);
    if (!ended) kill(child, SIGKILL), waitpid(child, &status, 0);
    ASSERT_TRUE(ended) << "the second process kept running";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(PumpUntil([&] { return Window().IsWindowVisible(); }));
}

TEST_F(AppTest, GameLightEventsRestoreTheKeyboardsOwnLightingOnceAfterTheLast) {
    Start(false, 400);
    auto keyboard = Plug("keyboard");
    // The keyboard's own lighting (mode 4), which no stored profile holds: nothing is
    // selected, so the shipped default (mode 1) must not come back in its place.
    const uint8_t own = 4;
    sim::FirmwareOf(keyboard)->Store(sim::Area::Params, 1, std::span(&own, 1));
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown() && Keyboard()->Light().mode == own; }));
    const auto block = [&] {
        const auto params = sim::FirmwareOf(keyboard)->Memory(sim::Area::Params);
        return std::vector<uint8_t>(params.begin() + 1, params.begin() + 23);
    };
    const std::vector<uint8_t> before = block();
    keyboard->ClearFrames();
    const app::AppMessages& messages = app::Messages();
    ui::PostMessage(Window().GetHWND(), messages.game[0], 0, 5);
    PumpFor(250);
    EXPECT_EQ(Keyboard()->Light().mode, 5) << "the on-screen effect follows the event";
    ui::PostMessage(Window().GetHWND(), messages.game[2], 1, 6);
    PumpFor(250);  // past the first event's restore time, not the second's
    EXPECT_EQ(ModesWritten(*keyboard), (std::vector<int>{5, 6}));
    ASSERT_TRUE(PumpUntil([&] { return ModesWritten(*keyboard).size() == 3; }));
    PumpFor(600);
    EXPECT_EQ(ModesWritten(*keyboard), (std::vector<int>{5, 6, own}));
    EXPECT_EQ(block(), before);
    EXPECT_EQ(Keyboard()->Light().mode, own);
}

TEST_F(AppTest, GameLightEventWithAModeOutsideTheListSendsNothing) {
    Start(false, 100);
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    keyboard->ClearFrames();
    ui::PostMessage(Window().GetHWND(), app::Messages().game[1], 0, 100000);
    ui::PostMessage(Window().GetHWND(), app::Messages().game[1], 0, -1);
    ui::PostMessage(Window().GetHWND(), app::Messages().game[1], 7, 2);  // unknown wParam
    PumpFor(50);
    EXPECT_TRUE(ModesWritten(*keyboard).empty());
}

TEST_F(AppTest, GameLightRestoreSendsTheMouseItsProfileBlockWithTheScreenSize) {
    vivori::DebugCapture debug;
    Start(false, 300);
    auto mouse = Plug("mouse");
    ASSERT_TRUE(PumpUntil([&] {
        auto* device = dynamic_cast<devices::CQuorvaneMouseDevice*>(Window().CurrentDevice());
        return device && device->InfoRead();
    }));
    ui::PostMessage(Window().GetHWND(), app::Messages().game[0], 0, 2);
    PumpFor(100);
    // Whatever the event wrote, the restore writes the block again, screen size and all.
    const std::vector<uint8_t> zeros(4, 0);
    sim::FirmwareOf(mouse)->Store(sim::Area::Params, devices::mouse_byte::kScreenWidth, zeros);
    const auto screen = [&] {
        const auto params = sim::FirmwareOf(mouse)->Memory(sim::Area::Params);
        return std::vector<uint8_t>(params.begin() + devices::mouse_byte::kScreenWidth,
                                    params.begin() + devices::mouse_byte::kScreenWidth + 4);
    };
    ASSERT_TRUE(PumpUntil([&] { return screen() != zeros; }, 2000));
    const ui::UiSize size = ui::PrimaryScreenSize();
    EXPECT_EQ(screen(), (std::vector<uint8_t>{uint8_t(size.cx), uint8_t(size.cx >> 8),
                                              uint8_t(size.cy), uint8_t(size.cy >> 8)}));
    EXPECT_FALSE(debug.Contains("not built yet"));
}

// Runs the socket helper as another local program of the user does; its output.
std::string RunPeerHelper(const std::string& arguments) {
    std::string output;
    FILE* helper = popen(("'" VIVORI_PEER_HELPER "' " + arguments).c_str(), "r");
    if (helper == nullptr) return output;
    char line[256];
    while (std::fgets(line, sizeof(line), helper) != nullptr) output += line;
    pclose(helper);
    return output;
}

TEST_F(AppTest, AnotherProcessPostsGameEventsButNeverTheHookMessagesWithTheirPointers) {
    vivori::DebugCapture debug;
    Start(true, 5000);
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    keyboard->ClearFrames();
    // One 32-byte frame whose lParam the key capture would follow as a pointer: the
    // application must drop it, not end with it.
    EXPECT_EQ(RunPeerHelper("post WM_HOOK_KEY_SINGLEKEY_MSG 0 0x4141414141"), "reached 1\n");
    EXPECT_EQ(RunPeerHelper("post WM_HOOK_KEY_KBMACRO_MSG 1 0x4141414141"), "reached 1\n");
    ASSERT_TRUE(PumpUntil([&] { return debug.Contains("which other processes may not send"); }));
    // A message that carries values still comes through.
    EXPECT_EQ(RunPeerHelper("post Game_Start 0 5"), "reached 1\n");
    ASSERT_TRUE(PumpUntil([&] { return ModesWritten(*keyboard) == std::vector<int>{5}; }));
}

TEST_F(AppTest, ClosingTheWindowStopsEveryWorkerWithinItsBound) {
    Start();
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
    ASSERT_TRUE(Window().WorkersRunning());
    Window().DestroyNow();
    EXPECT_FALSE(Window().WorkersRunning());
    EXPECT_LT(Window().LastStopMs(), app::WorkerSlots::kStopTimeoutMs);
    // Discovery has ended: a device plugged now is never opened.
    keyboard->ClearFrames();
    auto second = Plug("keyboard-receiver");
    PumpFor(300);
    EXPECT_TRUE(second->ReceivedFrames().empty());
}

}  // namespace
}  // namespace vivori::testing
