#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "AppFixture.h"
#include "app/CMainWnd.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "panels/CDeviceProfileUI.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileListModel.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CResourceManager.h"

namespace vivori::testing {
namespace {

using sim::Area;

// The real keyboard on a simulated one, with every message box answered by the test.
class ProfilePanelTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            messages.push_back(request.text);
            return answer;
        });
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        chooseFile = [this](bool save, std::string* path) {
            dialogs.push_back(save);
            suggestions.push_back(*path);
            *path = chosen;
            return !chosen.empty();
        };
        Start();
        simulated = Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] { return Keyboard() && Keyboard()->KeySlotCount() > 0; }, 5000));
    }
    void TearDown() override {
        app::CMsgWnd::SetAnswerForTests(nullptr);
        AppTest::TearDown();
    }

    devices::CQuorvaneKeyboardDevice* Keyboard() {
        return dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Window().CurrentDevice());
    }
    panels::CDeviceProfileUI& Panel() {
        auto* found = Window().PaintManager().FindSubControlByClass(Keyboard(), "DeviceProfileUI");
        return *static_cast<panels::CDeviceProfileUI*>(found->GetInterface("DeviceProfile"));
    }
    ui::CComboUI& Combo() {
        auto* combo =
            Window().PaintManager().FindSubControlByName(&Panel(), "device_profile_combo");
        return *static_cast<ui::CComboUI*>(combo->GetInterface("Combo"));
    }
    // Picks a row as the user does, and waits for the switch the drop-down starts.
    void Choose(int row) {
        const size_t before = simulated->ReceivedCount();
        Combo().SelectItem(row, false, true);
        ASSERT_TRUE(PumpUntil([&] { return simulated->ReceivedCount() > before; }, 3000));
        PumpFor(50);
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < Combo().GetCount(); ++i)
            rows.push_back(Combo().GetItemAt(i)->GetText());
        return rows;
    }
    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(simulated); }
    std::string Text(const char* key) {
        return ui::CResourceManager::GetInstance().ResolveText(key);
    }

    std::shared_ptr<sim::SimDevice> simulated;
    std::vector<std::string> messages;
    int answer = 1;
    std::vector<bool> dialogs;  // one per file dialog: true for a save dialog
    std::string chosen;
    std::vector<std::string> suggestions;  // where each dialog would have started

    // The keyboard's list as another program (vivori-ctl) works on it.
    profiles::ProfileListModel OtherProgram() {
        profiles::ProfileListModel model(Keyboard()->DataFolder(), Keyboard()->DefaultDataFile(),
                                         1);
        EXPECT_TRUE(model.Load());
        return model;
    }
    uint8_t WFlag() { return Firmware().Memory(Area::Params)[devices::light_byte::kWFlag]; }
    std::set<std::string> ProfileFiles() {
        std::set<std::string> ids;
        for (const auto& item : std::filesystem::directory_iterator(Keyboard()->DataFolder()))
            if (item.path().extension() == ".Json") ids.insert(item.path().stem().string());
        return ids;
    }
};

TEST_F(ProfilePanelTest, TheFirstStartFillsTheListAndTheMenuAddsCopiesRenamesAndDeletes) {
    EXPECT_EQ(Rows(), std::vector<std::string>{"Профиль1"});
    EXPECT_EQ(Panel().GetNameText(), "Профиль1");
    // The keyboard has no recoil page; its menu starts folded.
    EXPECT_FALSE(
        Window().PaintManager().FindSubControlByName(&Panel(), "cursor_Op_tab")->IsVisible());
    EXPECT_FALSE(Panel().IsProfileMenuShown());
    Click("profile_fun_spread_btn");
    EXPECT_TRUE(Panel().IsProfileMenuShown());

    Click("device_add_btn");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Профиль1", "Профиль2"}));
    EXPECT_EQ(Panel().GetSelectedIndex(), 1);
    Click("device_copy_btn");
    EXPECT_EQ(Rows().back(), "Профиль2 copy");

    Panel().SetNameText("профиль1");
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(messages, std::vector<std::string>{Text("message_text_5")});
    Panel().SetNameText("Raid");
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(Rows()[1], "Raid");
    EXPECT_EQ(Find("page_done_note")->GetText(), Text("saved_note_text"));
    EXPECT_TRUE(Find("page_done_note")->IsVisible());

    // Delete asks first; "no" keeps the profile.
    messages.clear();
    answer = 0;
    Click("device_sub_btn");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Raid"), std::string::npos) << messages[0];
    EXPECT_EQ(Rows().size(), 3u);
    answer = 1;
    Click("device_sub_btn");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Профиль1", "Профиль2 copy"}));
    EXPECT_EQ(Panel().GetSelectedIndex(), 0);
    EXPECT_EQ(Panel().GetNameText(), "Профиль1");
}

TEST_F(ProfilePanelTest, AProfileSwitchWritesThatProfilesSettingsKeyTableAndMacros) {
    macros::MacroLibrary library(Keyboard()->DataFolder());
    ASSERT_TRUE(library.Add());
    ASSERT_TRUE(library.Save(0, profiles::ParseJsonText(
                                    R"([{"Action":"down","Button":4,"Delay":"10","Type":10},
                                        {"Action":"up","Button":4,"Delay":"10","Type":10}])")
                                    .value()));
    Click("device_add_btn");  // Профиль2, now the keyboard's profile
    const int key = 30;
    auto keys = Keyboard()->KeyAssignments();
    keys[key].current = {uint16_t(key), macros::kAssignMacro, 0, 0};
    Keyboard()->SetKeyAssignments(keys);
    Keyboard()->SaveProfile();
    const auto path = *Panel().GetProfilePathAt(1);
    Json::Value second = profiles::ReadJsonFile(path);
    second["Device"][0]["SystemStages"]["WFlag"] = 1;
    ASSERT_TRUE(profiles::WriteJsonFile(path, second));
    const size_t slot = size_t(Keyboard()->Locations().slot[key]);

    Choose(0);
    EXPECT_EQ(Firmware().Memory(Area::Params)[devices::light_byte::kWFlag], 0);
    EXPECT_NE(Firmware().Memory(Area::KeyMap)[slot * 3], macros::kAssignMacro);
    Firmware().Store(Area::Macros, 0, std::vector<uint8_t>(4096, 0));

    Choose(1);
    EXPECT_EQ(profiles::ReadJsonFile(Keyboard()->DataFolder() / "ProfileList.ini")["profileselect"],
              1);
    EXPECT_EQ(Firmware().Memory(Area::Params)[devices::light_byte::kWFlag], 1);
    EXPECT_EQ(Firmware().Memory(Area::KeyMap)[slot * 3], macros::kAssignMacro);
    EXPECT_NE(Firmware().Memory(Area::Macros), std::vector<uint8_t>(4096, 0));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProfilePanelTest, ResetAsksFirstAndImportExportGoThroughTheFileChoice) {
    const auto path = *Panel().GetProfilePathAt(0);
    Json::Value changed = profiles::ReadJsonFile(path);
    changed["Device"][0]["SystemStages"]["WFlag"] = 1;
    ASSERT_TRUE(profiles::WriteJsonFile(path, changed));
    answer = 0;
    Click("device_reset_btn");
    EXPECT_EQ(messages, std::vector<std::string>{Text("message_text_22")});
    EXPECT_EQ(profiles::ReadJsonFile(path), changed);
    answer = 1;
    Click("device_reset_btn");
    EXPECT_NE(profiles::ReadJsonFile(path)["Device"][0]["SystemStages"]["WFlag"], 1);

    // The export suggests the profile's name in the home folder, and a name typed
    // without an extension gets ".json".
    setenv("HOME", Folder().c_str(), 1);
    chosen = (Keyboard()->DataFolder().parent_path() / "Shared").string();
    Click("device_export_btn");
    EXPECT_EQ(suggestions.back(), (Folder() / "Профиль1.json").string());
    EXPECT_TRUE(std::filesystem::exists(chosen + ".json"));
    chosen += ".json";
    Click("device_import_btn");
    EXPECT_EQ(suggestions.back(), Folder().string());
    EXPECT_EQ(dialogs, (std::vector<bool>{true, false}));
    EXPECT_EQ(Rows().back(), "Shared");
    EXPECT_EQ(Panel().ExportProfile(chosen, false).status, profiles::ProfileStatus::Exists);

    messages.clear();
    ASSERT_TRUE(
        profiles::WriteFileAtomically(chosen, R"({"profilename": "x", "profileUUID": "../x"})"));
    Click("device_import_btn");
    EXPECT_EQ(Rows().size(), 2u);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("plain name"), std::string::npos);
}

TEST_F(ProfilePanelTest, AProfileDeletedElsewhereStaysDeletedAndThePageFollowsTheList) {
    // Профиль1 holds a setting of its own, so its arrival on the keyboard shows.
    const auto first = *Panel().GetProfilePathAt(0);
    Json::Value changed = profiles::ReadJsonFile(first);
    changed["Device"][0]["SystemStages"]["WFlag"] = 1;
    ASSERT_TRUE(profiles::WriteJsonFile(first, changed));
    Click("device_add_btn");  // Профиль2, shown and written to the keyboard
    ASSERT_EQ(Keyboard()->GetProfileName(), "Профиль2");
    const auto second = *Panel().GetProfilePathAt(1);
    EXPECT_EQ(WFlag(), 0);

    // Deleted while shown; the page saves an edit before it has seen the change.
    profiles::ProfileListModel other = OtherProgram();
    ASSERT_TRUE(other.Select(1));
    ASSERT_TRUE(other.Delete());
    Keyboard()->SaveProfile();
    EXPECT_FALSE(std::filesystem::exists(second));

    // The page follows the list: the selection it names is loaded and written.
    ASSERT_TRUE(PumpUntil([&] { return Keyboard()->GetProfileName() == "Профиль1"; }));
    EXPECT_EQ(Rows(), std::vector<std::string>{"Профиль1"});
    EXPECT_EQ(Panel().GetNameText(), "Профиль1");
    ASSERT_TRUE(PumpUntil([&] { return WFlag() == 1; }));
    Keyboard()->SaveProfile();
    PumpFor(200);
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(ProfileFiles(), std::set<std::string>{other.Entries()[0].uuid});
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProfilePanelTest,
       AnotherProgramsAddRenameAndSelectReachTheDropDownButOwnWritesReloadNothing) {
    // The panel's own writes come back from the watch as no change: nothing is loaded
    // or written to the keyboard again.
    const size_t start = ModesWritten(*simulated).size();
    Keyboard()->SaveProfile();
    Click("device_copy_btn");
    Panel().SetNameText("Main");
    Click("device_profile_edit_save_btn");
    PumpFor(400);
    EXPECT_EQ(ModesWritten(*simulated).size(), start);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Main", "Профиль1 copy"}));

    profiles::ProfileListModel other = OtherProgram();
    ASSERT_TRUE(other.Add());  // selects the new profile
    ASSERT_TRUE(PumpUntil([&] { return Rows().size() == 3; }));
    EXPECT_EQ(Rows()[2], "Профиль1");
    ASSERT_TRUE(PumpUntil([&] { return Keyboard()->GetProfileName() == "Профиль1"; }));
    EXPECT_EQ(Panel().GetSelectedIndex(), 2);
    ASSERT_TRUE(PumpUntil([&] { return ModesWritten(*simulated).size() > start; }));

    // A rename is shown; the profile stays as it is on the keyboard.
    PumpFor(100);
    const size_t renamed = ModesWritten(*simulated).size();
    ASSERT_TRUE(other.Rename("Raid"));
    ASSERT_TRUE(PumpUntil([&] { return Rows()[2] == "Raid"; }));
    EXPECT_EQ(Panel().GetNameText(), "Raid");
    PumpFor(200);
    EXPECT_EQ(ModesWritten(*simulated).size(), renamed);

    ASSERT_TRUE(other.Select(0));
    ASSERT_TRUE(PumpUntil([&] { return Keyboard()->GetProfileName() == "Main"; }));
    EXPECT_EQ(Panel().GetSelectedIndex(), 0);
    EXPECT_EQ(Panel().GetNameText(), "Main");
    ASSERT_TRUE(PumpUntil([&] { return ModesWritten(*simulated).size() > renamed; }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ProfilePanelTest, NamesTheListCannotShowAndOtherKindsProfilesAreRefusedWithTheReason) {
    Panel().SetNameText("two\nlines");
    Click("device_profile_edit_save_btn");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(Text("profile_name_refused_text")), std::string::npos);
    EXPECT_NE(messages[0].find("control character"), std::string::npos) << messages[0];
    EXPECT_EQ(Rows(), std::vector<std::string>{"Профиль1"});
    // The name field takes as many characters as a name may hold.
    Panel().SetNameText(std::string(40, 'n'));
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(Rows(), std::vector<std::string>{std::string(32, 'n')});
    EXPECT_EQ(messages.size(), 1u);

    // A mouse profile (with its DPI stages and eleven buttons) is not taken into the
    // keyboard's list, where its buttons would land on the keyboard's first keys.
    profiles::ProfileListModel mouse(Keyboard()->DataFolder().parent_path() / "mouse",
                                     Keyboard()->DefaultDataFile().parent_path() / "mouse.Json", 2);
    ASSERT_TRUE(mouse.Load());
    chosen = (Keyboard()->DataFolder().parent_path() / "Sniper.json").string();
    ASSERT_TRUE(mouse.Export(chosen, false));
    messages.clear();
    Click("device_import_btn");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("it is a mouse profile, and this is the keyboard's list"),
              std::string::npos)
        << messages[0];
    EXPECT_EQ(Rows().size(), 1u);
    EXPECT_EQ(ProfileFiles().size(), 1u);
}

}  // namespace
}  // namespace vivori::testing
