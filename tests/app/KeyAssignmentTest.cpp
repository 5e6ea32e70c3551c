// Key assignment and recoil patterns in the running application: the keyboard and the
// mouse on the virtual bus, the panels driven through the main window's routing.
#include "AppFixture.h"
#include "app/AppMessages.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "macros/KeyCodeTable.h"
#include "macros/RecoilPatterns.h"
#include "panels/CKeySetControlUI.h"
#include "panels/CShootControlUI.h"
#include "profiles/JsonFile.h"
#include "sim/SimProduct.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/qt/OffscreenSurface.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::testing {
namespace {

class KeyAssignmentTest : public AppTest {
  protected:
    template <typename T>
    T* Current() {
        return dynamic_cast<T*>(Window().CurrentDevice());
    }
    panels::CKeySetControlUI* KeyPanel() {
        ui::CControlUI* device = Window().CurrentDevice();
        ui::CControlUI* found = device->FindControl(
            [](ui::CControlUI* c) { return c->GetInterface("KeySetControl") ? c : nullptr; },
            ui::kFindAll);
        return found ? static_cast<panels::CKeySetControlUI*>(found->GetInterface("KeySetControl"))
                     : nullptr;
    }
    // A profile of the kind to store into, selected.
    void SelectProfile(const std::string& folder) {
        const auto dir =
            std::filesystem::path(getenv("XDG_DATA_HOME")) / "VELTRA VIVORI Trivex V2" / folder;
        std::filesystem::create_directories(dir);
        profiles::WriteJsonFile(
            dir / "ProfileList.ini",
            profiles::ParseJsonText(R"({"profilelist":[{"profilename":"P","profileUUID":"p"}],)"
                                    R"("profileselect":0})")
                .value());
    }
    // A control of the shown device's page (every page has its own panels).
    ui::CControlUI* InPage(std::string_view name) {
        return Window().CurrentDevice()->FindControl(
            [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
            ui::kFindAll);
    }
    void Choose(std::string_view combo, int row) {
        auto* list = static_cast<ui::CComboUI*>(InPage(combo)->GetInterface("Combo"));
        list->SelectItem(row);  // notifies: the main window saves at once
    }
    int CategoryRow(int category) {
        auto* list =
            static_cast<ui::CComboUI*>(Find("keyset_function_combo")->GetInterface("Combo"));
        for (int i = 0; i < list->GetCount(); ++i)
            if (list->GetItemAt(i)->GetUserData() == std::to_string(category)) return i;
        return -1;
    }
    static std::vector<uint8_t> Slot(const std::shared_ptr<sim::SimDevice>& device, int slot) {
        const auto map = sim::FirmwareOf(device)->Memory(sim::Area::KeyMap);
        return {map.begin() + slot * 3, map.begin() + slot * 3 + 3};
    }
};

TEST_F(KeyAssignmentTest, MouseButtonAssignmentReachesTheMouseThroughItsReceiver) {
    SelectProfile("mouse");
    Start();
    auto mouse = Plug("mouse");
    Plug("mouse-receiver");
    ASSERT_TRUE(PumpUntil([&] {
        auto* m = Current<devices::CQuorvaneMouseDevice>();
        return m != nullptr && m->KeySlotCount() == 11;
    }));
    // The only left button cannot be reassigned.
    Window().PaintManager().SendNotify(Find("key_0"), ui::kNotifyClick);
    EXPECT_EQ(Window().LastMessage(),
              ui::CResourceManager::GetInstance().GetText("message_text_6").value_or("?"));
    ASSERT_EQ(shownMessages.size(), 1u);  // in the message box, not only the debug output
    EXPECT_EQ(shownMessages.back(), Window().LastMessage());
    EXPECT_FALSE(KeyPanel()->HasKey());
    // Button 3 (forward) becomes the DPI cycle, then a recoil pattern.
    Window().PaintManager().SendNotify(Find("key_3"), ui::kNotifyClick);
    ASSERT_TRUE(KeyPanel()->HasKey());
    Choose("keyset_function_combo", CategoryRow(4));
    Choose("keyset_mousedpi_combo", 2);
    Click("key_butt_prosave");
    EXPECT_EQ(Slot(mouse, 3), (std::vector<uint8_t>{0x13, 0x03, 0x00}));
    Choose("keyset_function_combo", CategoryRow(10));
    Choose("keyset_gunkey_combo", 1);
    Click("key_butt_prosave");
    EXPECT_EQ(Slot(mouse, 3), (std::vector<uint8_t>{0x72, 0x01, 0x00}));
    // Stored in the profile file as well.
    const auto dir =
        std::filesystem::path(getenv("XDG_DATA_HOME")) / "VELTRA VIVORI Trivex V2" / "mouse";
    EXPECT_EQ(
        profiles::ReadJsonFile(dir / "p.Json")["Device"][0]["KeyList"][3]["Assignment"].asUInt(),
        0x720100u);
    // Default brings the factory code back to the mouse at once.
    Click("key_butt_keydefalut");
    EXPECT_EQ(Slot(mouse, 3), (std::vector<uint8_t>{0x10, 0x10, 0x00}));
}

TEST_F(KeyAssignmentTest, CapturedKeyFillsTheKeyFieldAndReachesTheKeyboard) {
    SelectProfile("keyboard");
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    Start();
    auto keyboard = Plug("keyboard");
    ASSERT_TRUE(PumpUntil([&] {
        auto* k = Current<devices::CQuorvaneKeyboardDevice>();
        return k != nullptr && k->KeySlotCount() == 104;
    }));
    auto* device = Current<devices::CQuorvaneKeyboardDevice>();
    device->ShowTip(2);  // the key assignment page
    Window().PaintManager().SendNotify(Find("key_64"), ui::kNotifyClick);
    panels::CKeySetControlUI* panel = KeyPanel();
    ASSERT_TRUE(panel->HasKey());
    // The key shows its own code: the keyboard key category with the key's name, in the
    // language shown (an edit shows what it holds, so never the language id).
    EXPECT_EQ(InPage("keyset_keyboard_text_edit")->GetRawText(), "A");
    Choose("keyset_function_combo", CategoryRow(7));
    Choose("keyset_function_combo", CategoryRow(6));
    EXPECT_EQ(InPage("keyset_keyboard_text_edit")->GetText(), "");
    // Right Ctrl, then A, as the single-key hook reports them.
    const auto rightCtrl = macros::FindKeyByCode(0x20, 0x10, 0);
    const auto keyA = macros::FindKeyByCode(0x20, 0, 0x04);
    ASSERT_TRUE(rightCtrl && keyA);
    ASSERT_TRUE(panel->CaptureKey(*rightCtrl));
    EXPECT_TRUE(static_cast<ui::COptionUI*>(InPage("key_ComBox_check_1")->GetInterface("Option"))
                    ->IsSelected());
    ASSERT_TRUE(panel->CaptureKey(*keyA));
    EXPECT_NE(InPage("keyset_keyboard_text_edit")->GetText(), "");
    EXPECT_EQ(panel->Current().Code(), 0x200104u);
    Click("key_butt_keysave");
    Click("key_butt_prosave");
    const int slot = device->Locations().slot[64];
    EXPECT_EQ(Slot(keyboard, slot), (std::vector<uint8_t>{0x20, 0x01, 0x04}));
    ui::SendMessage(Window().GetHWND(), ui::WM_ACTIVATE, 1, 0);
    PumpFor(100);
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/keys.png"));
    // The key being set is marked in the picture (its cap shows pressed, ringed in red);
    // the others are not. The left half is looked at: a changed key's mark is top right.
    {
        ui::CPaintManagerUI& manager = Window().PaintManager();
        const QImage picture = ui::RenderWindow(manager);
        const double scale = ui::WindowScale(manager);
        auto redPixels = [&](std::string_view name) {
            const ui::UiRect rect = Find(name)->GetPos();
            int red = 0;
            for (int y = int(rect.top * scale); y < int(rect.bottom * scale); ++y)
                for (int x = int(rect.left * scale); x < int((rect.left + rect.right) / 2 * scale);
                     ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    if (c.red() > 150 && c.green() < 110 && c.blue() < 110) ++red;
                }
            return red;
        };
        EXPECT_GT(redPixels("key_64"), 10);
        EXPECT_EQ(redPixels("key_65"), 0);
    }

    // A language switch names the key anew in the key field.
    const auto space = macros::FindKeyByCode(0x20, 0, 0x2C);
    ASSERT_TRUE(space && panel->CaptureKey(*space));
    const auto language = [&](int index) {
        ui::SendMessage(Window().GetHWND(), app::kMsgLanguageChanged, ui::WPARAM(index), 0);
    };
    language(1);
    EXPECT_EQ(InPage("keyset_keyboard_text_edit")->GetRawText(), "空格");
    language(0);
    EXPECT_EQ(InPage("keyset_keyboard_text_edit")->GetRawText(), "Space");
}

TEST_F(KeyAssignmentTest, RecoilPanelEditsThePatternFileAndSendsTheImage) {
    Start();
    auto mouse = Plug("mouse");
    ASSERT_TRUE(PumpUntil([&] {
        auto* m = Current<devices::CQuorvaneMouseDevice>();
        return m != nullptr && m->KeySlotCount() == 11;
    }));
    auto* device = Current<devices::CQuorvaneMouseDevice>();
    device->ShowTip(5);  // the recoil page
    static_cast<ui::COptionUI*>(Find("shoot_gun_op_2")->GetInterface("Option"))->Selected(true);
    static_cast<ui::COptionUI*>(Find("bullet_op_4")->GetInterface("Option"))->Selected(true);
    Click("bullet_selected_next");
    EXPECT_EQ(Find("bullet_select_index")->GetText(), "6");
    Find("bullet_x_eidt")->SetText("3");
    Find("bullet_y_eidt")->SetText("12");
    Find("bullet_delay_eidt")->SetText("95");
    static_cast<ui::COptionUI*>(Find("bullet_x_check")->GetInterface("Option"))->Selected(true);
    Window().PaintManager().SendNotify(Find("bullet_delay_eidt"), ui::kNotifyKillFocus);
    EXPECT_EQ(macros::ReadBullet(device->DataFolder(), 2, 5),
              (macros::Bullet{3, 12, 95, true, false}));
    Click("shootdate_save_btn");
    const MacroImage expected = BuildShootImage(
        macros::ReadRecoilPatterns(device->DataFolder(), device->DefaultDataFolder()));
    const auto memory = sim::FirmwareOf(mouse)->Memory(sim::Area::Shoot);
    EXPECT_EQ(
        std::vector<uint8_t>(memory.begin(), memory.begin() + ptrdiff_t(expected.bytes.size())),
        expected.bytes);
    ui::SendMessage(Window().GetHWND(), ui::WM_ACTIVATE, 1, 0);
    PumpFor(100);
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/recoil.png"));
}

}  // namespace
}  // namespace vivori::testing
