// The macros a device holds and the key table that numbers them, through every road the
// application writes them by: the macro editor's save, the key panel's save, a profile
// switch, a macro deletion. After each, every key must play on the simulated device
// the macro its profile names. Also what the editor tells the user.
#include <fstream>

#include "AppFixture.h"
#include "MacroAgreement.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "macros/MacroLibrary.h"
#include "panels/CDeviceProfileUI.h"
#include "panels/CMacroControlUI.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CListUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"

namespace vivori::testing {
namespace {

using sim::Area;

constexpr int kEsc = 0;
constexpr int kF1 = 1;
constexpr int kKeyA = 64;

class MacroKeyTableTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            asked.push_back(request.text);
            return answer;
        });
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    }
    void TearDown() override {
        AppTest::TearDown();
        app::CMsgWnd::SetAnswerForTests(nullptr);
    }

    // Profiles "P" (selected) and "Q" in the kind's folder, then the device shown.
    void StartWith(const std::string& kind) {
        kind_ = kind;
        const auto dir = DataFolder();
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(profiles::WriteJsonFile(
            dir / "ProfileList.ini",
            profiles::ParseJsonText(R"({"profilelist":[{"profilename":"P","profileUUID":"p"},)"
                                    R"({"profilename":"Q","profileUUID":"q"}],"profileselect":0})")
                .value()));
        // Both profile files exist, made from the shipped default.
        const auto defaults = profiles::DataFolders::FromEnvironment().DefaultDataFile(kind);
        for (const char* id : {"p", "q"}) {
            Json::Value profile = profiles::ReadJsonFile(defaults);
            ASSERT_TRUE(profile.isObject()) << defaults;
            profile["profilename"] = id == std::string("p") ? "P" : "Q";
            profile["profileUUID"] = id;
            ASSERT_TRUE(profiles::WriteJsonFile(dir / (std::string(id) + ".Json"), profile));
        }
        Start();
        firmware = Plug(kind);
        const int slotCount = kind == "mouse" ? 11 : 104;
        ASSERT_TRUE(PumpUntil(
            [&] {
                auto* d = Device();
                if (d == nullptr) return false;
                if (auto* k = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(d))
                    return k->KeySlotCount() == slotCount;
                auto* m = dynamic_cast<devices::CQuorvaneMouseDevice*>(d);
                return m != nullptr && m->KeySlotCount() == slotCount;
            },
            5000));
    }
    std::filesystem::path DataFolder() const {
        return std::filesystem::path(getenv("XDG_DATA_HOME")) / "VELTRA VIVORI Trivex V2" / kind_;
    }
    devices::CQuorvaneUSBDevice* Device() { return Window().CurrentDevice(); }
    macros::MacroLibrary Library() { return macros::MacroLibrary(DataFolder()); }
    sim::FirmwareModel& Firmware() { return *sim::FirmwareOf(firmware); }
    static std::string Text(std::string_view key) {
        return ui::CResourceManager::GetInstance().ResolveText(key);
    }

    int SlotOf(size_t key) {
        if (auto* k = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(Device())) {
            const uint8_t slot =
                key < k->Locations().slot.size() ? k->Locations().slot[key] : devices::kNoSlot;
            return slot == devices::kNoSlot ? -1 : slot;
        }
        auto* m = dynamic_cast<devices::CQuorvaneMouseDevice*>(Device());
        if (m == nullptr || key >= m->DefaultKeyMap().size()) return -1;
        const uint8_t slot = m->DefaultKeyMap()[key];
        return slot == devices::CQuorvaneMouseDevice::kNoButtonSlot ? -1 : slot;
    }
    // What the device plays otherwise than the current profile says; empty when it agrees.
    std::vector<std::string> Disagree() {
        return Disagreements(
            Firmware().Memory(Area::KeyMap), Firmware().Memory(Area::Macros),
            Device()->KeyAssignments(), [this](size_t k) { return SlotOf(k); }, Library());
    }
    std::vector<uint8_t> Slot(int key) {
        const auto map = Firmware().Memory(Area::KeyMap);
        const size_t at = size_t(SlotOf(size_t(key))) * 3;
        return {map.begin() + ptrdiff_t(at), map.begin() + ptrdiff_t(at + 3)};
    }

    // A macro pressing `usage` `count` times, each press its own delay, so no two
    // macros of a test have the same records.
    void AddMacro(uint8_t usage, int count = 1) {
        macros::MacroLibrary library = Library();
        ASSERT_TRUE(library.Add());
        Json::Value events(Json::arrayValue);
        for (int i = 0; i < count; ++i) {
            Json::Value e;
            e["Action"] = "down";
            e["Type"] = 10;
            e["Button"] = usage;
            e["Delay"] = std::to_string(10 + i);
            events.append(e);
        }
        ASSERT_TRUE(library.Save(library.List().size() - 1, events));
    }
    // The key panel's save: into the device object and the profile, not yet the device.
    void Assign(int key, int macro) {
        auto keys = Device()->KeyAssignments();
        keys[size_t(key)].current = {uint16_t(key), macros::kAssignMacro, uint8_t(macro), 0};
        Device()->SetKeyAssignments(keys);
        Device()->SaveProfile();
    }
    uint32_t StoredCode(const std::string& profile, int key) {
        return profiles::ReadJsonFile(
                   DataFolder() / (profile + ".Json"))["Device"][0]["KeyList"][key]["Assignment"]
            .asUInt();
    }

    // The macro tab shown (a hidden list selects nothing), its list as the files say.
    panels::CMacroControlUI* Editor() {
        if (auto* tab = dynamic_cast<ui::COptionUI*>(
                Window().PaintManager().FindSubControlByName(Device(), "macro_Op_tab")))
            tab->Selected(true);
        panels::CMacroControlUI* panel = Window().MacroPanel();
        panel->LoadMacroList();
        return panel;
    }
    void Press(std::string_view name) {
        ui::CControlUI* control = Editor()->Find(name);
        ASSERT_NE(control, nullptr) << name;
        Window().PaintManager().SendNotify(control, ui::kNotifyClick);
    }
    std::string Hint() { return Editor()->Find("macro_hint")->GetText(); }

    // Picks a profile row in the drop-down, as the user does, and waits for the switch.
    void ChooseProfile(int row) {
        auto* found = Window().PaintManager().FindSubControlByClass(Device(), "DeviceProfileUI");
        auto* panel = static_cast<panels::CDeviceProfileUI*>(found->GetInterface("DeviceProfile"));
        auto* combo =
            static_cast<ui::CComboUI*>(Window()
                                           .PaintManager()
                                           .FindSubControlByName(panel, "device_profile_combo")
                                           ->GetInterface("Combo"));
        combo->SelectItem(row, false, true);
        // The switch follows the choice on a timer; it ends with the device written.
        ASSERT_TRUE(PumpUntil(
            [&] { return Device()->GetProfileName() == combo->GetItemAt(row)->GetText(); }, 3000));
        PumpFor(50);
    }

    std::string kind_;
    std::shared_ptr<sim::SimDevice> firmware;
    std::vector<std::string> asked;
    int answer = 1;
};

TEST_F(MacroKeyTableTest, EditorSaveWritesTheKeyTableThatNumbersTheMacrosItUploads) {
    StartWith("keyboard");
    AddMacro(0x04);  // macro_1: A
    AddMacro(0x05);  // macro_2: B
    // macro_1 on F1 is on the keyboard.
    Assign(kF1, 0);
    Click("key_butt_prosave");
    ASSERT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Slot(kF1), (std::vector<uint8_t>{0x70, 0x00, 0x00}));

    // macro_2 goes to Esc, which comes first: saving macro_2 numbers it 0 and F1's
    // macro 1, and the key table says so in the same run.
    Assign(kEsc, 1);
    Editor()->SelectMacro(1);
    Press("macro_btn_save");
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Slot(kEsc), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
    EXPECT_EQ(Slot(kF1), (std::vector<uint8_t>{0x70, 0x01, 0x00}));
    EXPECT_EQ(Hint(), Text("macro_uploaded_text"));

    // A macro no key plays is saved, and the hint says the device needed nothing.
    AddMacro(0x06);
    Editor()->SelectMacro(2);
    const auto frames = firmware->ReceivedCount();
    Press("macro_btn_save");
    EXPECT_EQ(firmware->ReceivedCount(), frames);
    EXPECT_EQ(Hint(), Text("macro_saved_text"));
    EXPECT_TRUE(asked.empty());
}

TEST_F(MacroKeyTableTest, KeySaveProfileSwitchAndDeletionLeaveEveryKeyPlayingItsMacro) {
    StartWith("keyboard");
    AddMacro(0x04, 1);
    AddMacro(0x05, 2);
    AddMacro(0x06, 3);
    // P: A plays macro 2, F1 macro 0; Q: F1 macro 1, A macro 0.
    Assign(kKeyA, 2);
    Assign(kF1, 0);
    Click("key_butt_prosave");
    ASSERT_EQ(Disagree(), std::vector<std::string>{});
    ChooseProfile(1);
    Assign(kF1, 1);
    Assign(kKeyA, 0);
    Click("key_butt_prosave");
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    ChooseProfile(0);
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Slot(kF1), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
    EXPECT_EQ(Slot(kKeyA), (std::vector<uint8_t>{0x70, 0x01, 0x00}));

    // Deleting macro 0: F1 gets its default back, A now names macro 1; Q follows too.
    Editor()->SelectMacro(0);
    Press("macro_btn_name_sub");
    ASSERT_EQ(Library().List().size(), 2u);
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(StoredCode("p", kKeyA), 0x700100u);
    EXPECT_EQ(StoredCode("q", kF1), 0x700000u);
    ChooseProfile(1);
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
}

TEST_F(MacroKeyTableTest, MouseButtonsPlayTheirMacrosAfterTheKeySaveAndTheEditorSave) {
    StartWith("mouse");
    AddMacro(0x04, 2);
    AddMacro(0x05, 1);
    Assign(3, 1);
    Assign(4, 0);
    Click("key_butt_prosave");
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Slot(3), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
    // A longer macro 0: the image changes size, the table keeps pointing at it.
    macros::MacroLibrary library = Library();
    Json::Value events = library.Document(0)["Events"];
    events.append(events[0]);
    ASSERT_TRUE(library.Save(0, events));
    Editor()->SelectMacro(0);
    Press("macro_btn_save");
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Hint(), Text("macro_uploaded_text"));
}

TEST_F(MacroKeyTableTest, DamagedMacroListIsUnknownKeysKeepTheirMacrosAndTheUserIsTold) {
    StartWith("keyboard");
    AddMacro(0x04);
    AddMacro(0x05);
    Assign(kKeyA, 1);
    Click("key_butt_prosave");
    ASSERT_EQ(Disagree(), std::vector<std::string>{});
    const auto list = DataFolder() / "macro.config";
    const std::string good = *profiles::ReadTextFile(list);
    const std::string damaged = good.substr(0, good.size() / 2);
    ASSERT_TRUE(profiles::WriteFileAtomically(list, damaged));
    const auto keyMap = Firmware().Memory(Area::KeyMap);
    const auto image = Firmware().Memory(Area::Macros);

    // Two profile loads: neither drops A's macro, nor writes the device.
    asked.clear();
    ChooseProfile(1);
    ChooseProfile(0);
    EXPECT_EQ(StoredCode("p", kKeyA), 0x700100u);
    EXPECT_EQ(Device()->KeyAssignments()[kKeyA].current.Code(), 0x700100u);
    EXPECT_EQ(Firmware().Memory(Area::KeyMap), keyMap);
    EXPECT_EQ(Firmware().Memory(Area::Macros), image);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), Text("macro_list_unreadable_text"));
    EXPECT_EQ(Hint(), Text("macro_list_unreadable_text"));
    // New is refused rather than writing a list over the damaged one.
    Press("macro_btn_name_add");
    EXPECT_EQ(*profiles::ReadTextFile(list), damaged);
    EXPECT_EQ(Hint(), Text("macro_list_unreadable_text"));

    // Mended: A plays its macro again.
    ASSERT_TRUE(profiles::WriteFileAtomically(list, good));
    ChooseProfile(1);
    ChooseProfile(0);
    EXPECT_EQ(Disagree(), std::vector<std::string>{});
    EXPECT_EQ(Slot(kKeyA), (std::vector<uint8_t>{0x70, 0x00, 0x00}));
    EXPECT_EQ(Hint(), Text("macro_hint_text"));
}

TEST_F(MacroKeyTableTest, EditorSaysWhatHappenedInsteadOfStayingSilent) {
    StartWith("keyboard");
    AddMacro(0x04);
    Assign(kKeyA, 0);
    Editor()->SelectMacro(0);
    Press("macro_btn_save");
    ASSERT_EQ(Hint(), Text("macro_uploaded_text"));
    // An import replaces that hint: nothing was written to the device this time.
    const auto file = DataFolder().parent_path() / "Jump.mac";
    ASSERT_TRUE(profiles::WriteFileAtomically(
        file, R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":"5"}]})"));
    ASSERT_TRUE(Editor()->ImportMacro(file));
    EXPECT_EQ(Hint(), Text("macro_imported_text"));
    // Recording needs a macro: with none selected the hint says so.
    Editor()->MacroList()->SelectItem(-1, false, false);
    Press("macro_btn_starredio");
    EXPECT_EQ(Hint(), Text("macro_none_selected_text"));
    EXPECT_FALSE(Editor()->Recording());
    // New at 50 macros says why nothing was added.
    while (Library().List().size() < macros::kMaxMacros) AddMacro(0x07);
    Press("macro_btn_name_add");
    EXPECT_EQ(Library().List().size(), macros::kMaxMacros);
    EXPECT_EQ(Hint(), Text("macro_limit_text"));
}

TEST_F(MacroKeyTableTest, DeletionNamesOtherProfilesOnlyWhenTheirKeysPlayTheMacro) {
    StartWith("keyboard");
    AddMacro(0x04);
    AddMacro(0x05);
    // A new macro nobody plays: the question says nothing of other profiles.
    Editor()->SelectMacro(1);
    answer = 0;
    Press("macro_btn_name_sub");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], Text("message_text_4"));
    EXPECT_EQ(Library().List().size(), 2u);
    // Q's keys play it: Q is named.
    ChooseProfile(1);
    Assign(kKeyA, 1);
    ChooseProfile(0);
    asked.clear();
    Editor()->SelectMacro(1);
    Press("macro_btn_name_sub");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find(Text("macro_used_in_profiles_text") + " Q"), std::string::npos);
    EXPECT_EQ(Library().List().size(), 2u);
}

// As the program runs, uploads go to the device's own thread: a device that stops
// answering holds up no click, and what happened is told once the upload has ended.
TEST_F(MacroKeyTableTest, UploadsToADeviceThatStoppedAnsweringLeaveTheWindowFreeAndAreToldAfter) {
    queueDeviceWrites = true;
    StartWith("keyboard");
    AddMacro(0x04);
    Assign(kF1, 0);
    Editor()->SelectMacro(0);
    Press("macro_btn_save");
    ASSERT_TRUE(PumpUntil([&] { return Hint() == Text("macro_uploaded_text"); }));
    EXPECT_EQ(Disagree(), std::vector<std::string>{});

    firmware->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    const auto start = std::chrono::steady_clock::now();
    Press("macro_btn_save");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(Hint(), Text("setting_progress_text"));
    ASSERT_TRUE(PumpUntil([&] { return Hint() != Text("setting_progress_text"); }, 8000));
    EXPECT_EQ(Hint(), Text("macro_upload_failed_text"));
    firmware->ClearFaults();
}

TEST_F(MacroKeyTableTest, RecoilSaveToASilentMouseIsToldWhenItsThreadGivesUp) {
    queueDeviceWrites = true;
    StartWith("mouse");
    Device()->ShowTip(5);
    firmware->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    const auto start = std::chrono::steady_clock::now();
    Click("shootdate_save_btn");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(Window().LastMessageText(), "");
    ASSERT_TRUE(PumpUntil([&] { return !Window().LastMessageText().empty(); }, 8000));
    EXPECT_EQ(Window().LastMessageText(), "shoot_save_failed_text");
    firmware->ClearFaults();
}

TEST_F(MacroKeyTableTest, RecoilSaveSaysWhetherThePatternsReachedTheMouse) {
    StartWith("mouse");
    Device()->ShowTip(5);
    Click("shootdate_save_btn");
    EXPECT_EQ(Window().LastMessageText(), "");  // no message box, a note on the page
    EXPECT_EQ(Find("page_done_note")->GetText(), Text("written_mouse_text"));
    firmware->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    Click("shootdate_save_btn");
    EXPECT_EQ(Window().LastMessageText(), "shoot_save_failed_text");
    firmware->ClearFaults();
}

}  // namespace
}  // namespace vivori::testing
