// The macro editor in the application: recording through the input hook, editing,
// saving and the upload to the simulated keyboard.
#include "AppFixture.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "input/ScriptedCaptureBackend.h"
#include "macros/MacroLibrary.h"
#include "panels/CMacroControlUI.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CContainerUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/qt/OffscreenSurface.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::testing {
namespace {

using input::kKeyDown;
using input::kKeyUp;

class MacroEditorTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        capture = backend;
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            asked.push_back(request.text);
            return answer ? 1 : 0;
        });
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        Start();
        firmware = Plug("keyboard");
        // Shown, and its key map read.
        ASSERT_TRUE(PumpUntil([&] {
            return Panel() != nullptr && Board()->KeyAssignments().size() >= 126 &&
                   Board()->KeySlotCount() > 0;
        }));
        // The macro tab shows the editor.
        auto* tab = dynamic_cast<ui::COptionUI*>(
            Window().PaintManager().FindSubControlByName(Window().CurrentDevice(), "macro_Op_tab"));
        ASSERT_NE(tab, nullptr);
        tab->Selected(true);
        Press("macro_btn_name_add");
        ASSERT_EQ(Panel()->GetSelectedMacro(), 0);
    }

    void TearDown() override {
        AppTest::TearDown();
        app::CMsgWnd::SetAnswerForTests(nullptr);
    }
    static std::string Text(std::string_view key) {
        return ui::CResourceManager::GetInstance().ResolveText(key);
    }
    panels::CMacroControlUI* Panel() { return Window().MacroPanel(); }
    // The keyboard page's own editor controls: every page has an editor.
    ui::CControlUI* In(std::string_view name) {
        ui::CControlUI* control = Panel()->Find(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Press(std::string_view name) {
        Window().PaintManager().SendNotify(In(name), ui::kNotifyClick);
    }
    devices::CQuorvaneKeyboardDevice* Board() {
        return dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& row : Panel()->Events().Rows()) names.emplace_back(row.nameKey);
        return names;
    }
    std::vector<int> Delays() {
        std::vector<int> delays;
        for (const auto& row : Panel()->Events().Rows()) delays.push_back(row.delay);
        return delays;
    }
    macros::MacroLibrary Library() { return macros::MacroLibrary(Board()->DataFolder()); }
    // Where a point of the window's layout is on the screen, as the hook reports it.
    ui::UiPoint OnScreen(int x, int y) {
        ui::IWindowHost* host = Window().Host();
        if (host == nullptr) return {x, y};
        const ui::UiRect rect = host->GetRect();
        const double scale = ui::WindowScale(Window().PaintManager());
        return {rect.left + int(x * scale), rect.top + int(y * scale)};
    }
    void Key(uint32_t message, uint8_t scan, uint32_t time) {
        backend->FeedKey(message, scan, false, time);
    }

    std::shared_ptr<input::ScriptedCaptureBackend> backend =
        std::make_shared<input::ScriptedCaptureBackend>();
    std::shared_ptr<sim::SimDevice> firmware;
    std::vector<std::string> asked;
    bool answer = true;
};

TEST_F(MacroEditorTest, RecordedMacroReachesTheKeyboardsMacroMemoryByteForByte) {
    // A key plays macro 0, so saving it uploads it.
    auto keys = Board()->KeyAssignments();
    keys[22].current = {22, 0x70, 0, 0};
    Board()->SetKeyAssignments(keys);

    Press("macro_btn_starredio");
    EXPECT_TRUE(backend->KeyboardCaptured());
    EXPECT_FALSE(In("macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(Find("device_select_layout")->IsEnabled());
    const uint32_t t = GetTickCount();
    Key(kKeyDown, 0x1E, t);
    Key(kKeyDown, 0x1E, t + 30);  // auto-repeat as a repeated press
    // X11's auto-repeat: release-press pairs marked as repeats, every 40 ms.
    for (uint32_t at = t + 40; at < t + 120; at += 40)
        backend->Feed(*input::ParseScriptedInput(std::to_string(at) + " repeat key 1e", nullptr));
    // The UI thread is busy before it sees the release: the stamps still rule.
    Sleep(250);
    Key(kKeyUp, 0x1E, t + 120);
    Key(kKeyDown, 0x30, t + 300);
    EXPECT_TRUE(backend->FeedKey(kKeyDown, 0x3A, false, t + 310));  // Caps Lock passes on
    backend->FeedMouse(input::kRightDown, 0, t + 400);
    EXPECT_TRUE(backend->PassedToSystem().size() == 1);
    // Stopping with the left button on the stop button records nothing more.
    const ui::UiRect stop = In("macro_btn_stopredio")->GetPos();
    const ui::UiPoint at = OnScreen(stop.left + 3, stop.top + 3);
    backend->FeedMouse(input::kLeftDown, 0, t + 500, at.x, at.y);
    backend->FeedMouse(input::kLeftUp, 0, t + 520, at.x, at.y);
    Press("macro_btn_stopredio");
    EXPECT_FALSE(backend->KeyboardCaptured());
    EXPECT_TRUE(Find("device_select_layout")->IsEnabled());

    EXPECT_EQ(Names(),
              (std::vector<std::string>{"keyboard_key_A", "keyboard_key_A", "keyboard_key_B",
                                        "keyboard_key_Caplk", "mouse_key_right"}));
    EXPECT_EQ(Delays(), (std::vector<int>{120, 180, 10, 90, 0}));
    // The rows name their keys in the language shown, never by language id.
    auto* list = dynamic_cast<ui::CListUI*>(In("macro_action_list"));
    auto* row = list ? dynamic_cast<ui::CContainerUI*>(list->GetItemAt(3)) : nullptr;
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetItemAt(0)->GetText(), Text("keyboard_key_Caplk"));
    EXPECT_NE(row->GetItemAt(0)->GetText(), "keyboard_key_Caplk");
    const auto events = Library().Events(0);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[1].delay, 180);
    const size_t capacity = size_t(sim::FirmwareOf(firmware)->Memory(sim::Area::Info)[6]) * 128;
    const MacroImage image = BuildMacroImage({events}, capacity);
    ASSERT_TRUE(image.Fits());
    const auto memory = sim::FirmwareOf(firmware)->Memory(sim::Area::Macros);
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + image.bytes.size()),
              image.bytes);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/macros.png"));
}

TEST_F(MacroEditorTest, LeavingTheTabWhileRecordingStopsAndKeepsTheRecording) {
    Press("macro_btn_starredio");
    ASSERT_TRUE(backend->KeyboardCaptured());
    const uint32_t t = GetTickCount();
    Key(kKeyDown, 0x1E, t);
    Key(kKeyUp, 0x1E, t + 50);
    auto* lighting = dynamic_cast<ui::COptionUI*>(
        Window().PaintManager().FindSubControlByName(Window().CurrentDevice(), "deng_Op_tab"));
    ASSERT_NE(lighting, nullptr);
    lighting->Selected(true);
    // The keyboard is free again, and what was typed before leaving is the macro's.
    EXPECT_FALSE(backend->KeyboardCaptured());
    EXPECT_TRUE(Find("device_select_layout")->IsEnabled());
    EXPECT_EQ(Library().Events(0).size(), 2u);
    Key(kKeyDown, 0x30, t + 100);  // typed elsewhere: not recorded
    EXPECT_EQ(Library().Events(0).size(), 2u);
}

TEST_F(MacroEditorTest, CreatingAMacroLeavesTheLightingPanelShowingTheRunningEffect) {
    auto* modes = dynamic_cast<ui::CComboUI*>(
        Window().PaintManager().FindSubControlByName(Window().CurrentDevice(),
                                                     "light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    const int running = Board()->Light().mode;
    ASSERT_EQ(modes->GetCurSel(), running);
    Press("macro_btn_name_add");
    EXPECT_EQ(modes->GetCurSel(), running);
    EXPECT_EQ(Board()->Light().mode, running);
}

TEST_F(MacroEditorTest, MenuRecordsBeforeTheSelectedRowAndEditsOneEvent) {
    Press("macro_btn_starredio");
    Key(kKeyDown, 0x02, 0);  // 1
    Key(kKeyUp, 0x02, 5);
    Press("macro_btn_stopredio");
    ui::CListUI* list = Panel()->EventList();
    list->SelectItem(1, false, false);
    Window().PaintManager().SendNotify(list->GetItemAt(1), ui::kNotifyItemActivate);
    // The menu's items arrive as menu commands.
    auto command = [this](const char* name) {
        auto* cmd = new ui::MenuCmd{name, "", ""};
        ui::SendMessage(Window().GetHWND(), ui::WM_MENUCLICK, reinterpret_cast<ui::WPARAM>(cmd), 0);
    };
    command("redio_previous_ignore_time");
    Key(kKeyDown, 0x1E, 10);
    Key(kKeyUp, 0x1E, 20);
    Press("macro_btn_stopredio");
    EXPECT_EQ(Names(), (std::vector<std::string>{"keyboard_key_1", "keyboard_key_A",
                                                 "keyboard_key_A", "keyboard_key_1"}));
    // Editing the last row ("1" up) with B keeps its direction and delay.
    list->SelectItem(3, false, false);
    command("macro_action_edit");
    EXPECT_EQ(Window().DeviceHook().Mode(), input::kHookMacroReplace);
    Key(kKeyDown, 0x30, 30);
    Key(kKeyUp, 0x30, 40);
    Press("macro_btn_stopredio");
    EXPECT_EQ(Names().back(), "keyboard_key_B");
    const auto events = Library().Events(0);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_FALSE(events[3].press);
    EXPECT_EQ(events[3].button, 0x05);
    // A left click from the menu: two rows after the selection, saved at once.
    list->SelectItem(0, false, false);
    command("left_click");
    EXPECT_EQ(Library().Events(0).size(), 6u);
    EXPECT_EQ(Names()[1], "mouse_key_left");
    Press("macro_btn_downbottom");
    EXPECT_EQ(Names().back(), "mouse_key_left");
    Press("macro_btn_deleteall");
    EXPECT_TRUE(Library().Events(0).empty());
}

TEST_F(MacroEditorTest, NamesAreEditedThroughTheLibraryAndDeletionAsksFirst) {
    Press("macro_btn_name_add");
    In("macro_edit_macroname")->SetText("MACRO_1");  // names compare without case
    Press("macro_btn_name_edit");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], Text("message_text_5"));
    In("macro_edit_macroname")->SetText("  Jump ");
    Press("macro_btn_name_edit");
    EXPECT_EQ(Library().List()[1].name, "Jump");
    EXPECT_EQ(Panel()->MacroList()->GetItemAt(1)->GetText(), "Jump");

    answer = false;
    Press("macro_btn_name_sub");
    EXPECT_EQ(asked.back(), Text("message_text_4"));
    EXPECT_EQ(Library().List().size(), 2u);
    answer = true;
    Press("macro_btn_name_sub");
    ASSERT_EQ(Library().List().size(), 1u);
    EXPECT_EQ(Library().List()[0].name, "macro_1");
    EXPECT_EQ(Panel()->GetSelectedMacro(), 0);
    Press("macro_btn_name_sub");
    EXPECT_TRUE(Library().List().empty());
    EXPECT_FALSE(In("macro_btn_name_sub")->IsEnabled());
    EXPECT_FALSE(In("macro_action_layout")->IsEnabled());
}

}  // namespace
}  // namespace vivori::testing
