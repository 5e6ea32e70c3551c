#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "input/CDeviceHook.h"
#include "input/ScanCodes.h"
#include "input/ScriptedCaptureBackend.h"
#include "macros/KeyCodeTable.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

using namespace vivori;
using namespace vivori::input;

namespace {

struct Delivered {
    ui::UINT message;
    ui::WPARAM wParam;
    KeyHookRecord key;
    MouseHookRecord mouse;
};

// A window that copies the record each hook message points to, while the send lasts.
class HookWindow : public ui::MessageWindow {
  public:
    HookWindow() { CreateHandle("hook", "HookWindow"); }
    ~HookWindow() override { DestroyHandle(); }
    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) override {
        Delivered d{msg, w, {}, {}};
        if (msg == Registered("WM_HOOK_KEY_MSMACRO_MSG") ||
            msg == Registered("WM_HOOK_KEY_MSMACROPREVIOUS_MSG") ||
            msg == Registered("WM_HOOK_MOU_SINGLEKEY_MSG"))
            d.mouse = *reinterpret_cast<const MouseHookRecord*>(l);
        else if (msg == Registered("WM_HOOK_KEY_KBMACRO_MSG") ||
                 msg == Registered("WM_HOOK_KEY_SINGLEKEY_MSG"))
            d.key = *reinterpret_cast<const KeyHookRecord*>(l);
        else
            return 0;
        delivered.push_back(d);
        return 0;
    }
    static ui::UINT Registered(std::string_view name) { return ui::RegisterWindowMessage(name); }
    std::vector<Delivered> delivered;
};

class DeviceHookTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedCaptureBackend> backend = std::make_shared<ScriptedCaptureBackend>();
    HookWindow window;
    CDeviceHook hook{backend};
};

TEST_F(DeviceHookTest, RecordingModeReportsKeyDownAndUpAndSwallowsTheKey) {
    ASSERT_EQ(hook.Install(kHookMacroEnd, window.GetHWND(), true, true), 1);
    EXPECT_FALSE(backend->FeedKey(kKeyDown, 0x1E, false, 1000));  // A
    EXPECT_FALSE(backend->FeedKey(kKeyUp, 0x1E, false, 1120));
    const ui::UINT expected = HookWindow::Registered("WM_HOOK_KEY_KBMACRO_MSG");
    ASSERT_EQ(window.delivered.size(), 2u);
    EXPECT_EQ(window.delivered[0].message, expected);
    EXPECT_EQ(window.delivered[0].wParam, kKeyDown);
    EXPECT_EQ(window.delivered[1].wParam, kKeyUp);
    EXPECT_EQ(window.delivered[0].key.scanCode, 0x1Eu);
    EXPECT_EQ(window.delivered[0].key.vkCode, 0x41u);
    EXPECT_EQ(window.delivered[1].key.time, 1120u);
    EXPECT_TRUE(backend->PassedToSystem().empty());
}

TEST_F(DeviceHookTest, LockKeysReachTheSystemAndAreStillReported) {
    ASSERT_EQ(hook.Install(kHookMacroEnd, window.GetHWND(), true, true), 1);
    EXPECT_TRUE(backend->FeedKey(kKeyDown, 0x3A, false, 0));   // Caps Lock
    EXPECT_TRUE(backend->FeedKey(kKeyDown, 0x45, true, 0));    // Num Lock
    EXPECT_TRUE(backend->FeedKey(kKeyDown, 0x46, false, 0));   // Scroll Lock
    EXPECT_FALSE(backend->FeedKey(kKeyDown, 0x45, false, 0));  // Pause is not a lock key
    EXPECT_EQ(backend->PassedToSystem().size(), 3u);
    EXPECT_EQ(window.delivered.size(), 4u);
}

TEST_F(DeviceHookTest, ModesChooseTheMessagesAndUninstallEndsTheCapture) {
    ASSERT_EQ(hook.Install(kHookSingleKey, window.GetHWND(), true, true), 1);
    backend->FeedKey(kKeyDown, 0x30, false, 0);
    ASSERT_EQ(hook.Install(kHookMacroBefore, window.GetHWND(), true, true), 1);
    backend->FeedMouse(kExtraDown, kExtraButtonForward, 5, 10, 20);
    ASSERT_EQ(hook.Install(kHookHitKey + 1, window.GetHWND(), true, true), 1);  // no such mode
    backend->FeedKey(kKeyDown, 0x30, false, 0);
    ASSERT_EQ(window.delivered.size(), 2u);
    EXPECT_EQ(window.delivered[0].message, HookWindow::Registered("WM_HOOK_KEY_SINGLEKEY_MSG"));
    EXPECT_EQ(window.delivered[1].message,
              HookWindow::Registered("WM_HOOK_KEY_MSMACROPREVIOUS_MSG"));
    EXPECT_EQ(window.delivered[1].mouse.ExtraButton(), kExtraButtonForward);
    EXPECT_EQ(window.delivered[1].mouse.x, 10);

    EXPECT_EQ(hook.Uninstall(), 1);
    EXPECT_FALSE(backend->KeyboardCaptured());
    EXPECT_FALSE(backend->MouseCaptured());
    EXPECT_TRUE(backend->FeedKey(kKeyDown, 0x1E, false, 0));  // reaches the system again
    EXPECT_EQ(hook.Uninstall(), 0);
}

TEST_F(DeviceHookTest, RefusedKeyboardCaptureChangesNothing) {
    backend->RefuseKeyboard(true);
    EXPECT_EQ(hook.Install(kHookMacroEnd, window.GetHWND(), true, true), 0);
    EXPECT_FALSE(hook.KeyboardInstalled());
    EXPECT_FALSE(backend->MouseCaptured());
    EXPECT_EQ(hook.Mode(), 0);
    // The default backend of a process without a desktop captures nothing either.
    CDeviceHook plain;
    EXPECT_EQ(plain.Install(kHookSingleKey, window.GetHWND(), true, true), 0);
    EXPECT_EQ(plain.Uninstall(), 0);
}

TEST(ScanCodesTest, EveryHookIdentifiedKeyHasExactlyOneLinuxKey) {
    std::set<uint16_t> evdev;
    std::vector<int> hits(macros::kHookIdentifiedRows, 0);
    for (const EvdevScanCode& row : EvdevScanCodes()) {
        EXPECT_TRUE(evdev.insert(row.evdev).second) << "evdev " << row.evdev << " twice";
        auto key = macros::FindKeyByScanCode(row.scan.code, row.scan.extended);
        ASSERT_TRUE(key.has_value()) << "evdev " << row.evdev << " matches no key";
        ++hits[*key];
    }
    for (size_t i = 0; i < hits.size(); ++i)
        EXPECT_EQ(hits[i], 1) << macros::KeyCodeTable()[i].nameKey;
    // Native codes are evdev + 8 on X11 and Wayland.
    auto a = ScanCodeFromNative(38);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->code, 0x1E);
    auto enter = ScanCodeFromNative(96 + 8);
    ASSERT_TRUE(enter);
    EXPECT_TRUE(enter->extended);
    EXPECT_FALSE(ScanCodeFromNative(3));
    EXPECT_FALSE(ScanCodeFromNative(240 + 8));
}

TEST(ScriptedInputTest, ParsesTheTwoLineFormsAndRefusesTheRest) {
    std::string error;
    auto key = ParseScriptedInput("120 up key 1ce", &error);
    ASSERT_TRUE(key) << error;
    EXPECT_EQ(key->time, 120u);
    EXPECT_FALSE(key->down);
    EXPECT_EQ(key->scanCode, 0x1C);
    EXPECT_TRUE(key->extended);
    auto plain = ParseScriptedInput("0 down key 1e", &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->scanCode, 0x1E);
    EXPECT_FALSE(plain->extended);
    auto back = ParseScriptedInput("5 down mouse back", &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->mouseMessage, kExtraDown);
    EXPECT_EQ(back->extraButton, kExtraButtonBack);
    for (const char* bad :
         {"", "x down key 1e", "1 press key 1e", "1 down key 1zz", "1 down key 123",
          "1 down mouse wheel", "1 down pad 1", "1 down key 1e extra", "-5 down key 1e"})
        EXPECT_FALSE(ParseScriptedInput(bad, &error)) << bad;
}

}  // namespace
