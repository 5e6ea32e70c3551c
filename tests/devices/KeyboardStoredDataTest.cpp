// What the keyboard keeps between reads and across profile changes: where reassigned
// keys sit, the profile a switch on the device selects, the custom light steps, and
// the light names when a list file lacks one of them.
#include <json/json.h>

#include "KeyboardFixture.h"
#include "devices/KnownKeyLocations.h"
#include "profiles/JsonFile.h"

namespace vivori::testing {
namespace {

using devices::kNoSlot;

constexpr int kKeyA = 64;  // identity code 20 00 04
constexpr int kKeyB = 89;  // identity code 20 00 05

std::vector<uint8_t> CodeAtSlot(sim::FirmwareModel& firmware, int slot) {
    const auto map = firmware.Memory(Area::KeyMap);
    return {map.begin() + slot * 3, map.begin() + slot * 3 + 3};
}

class KeyboardStoredDataTest : public KeyboardDeviceTest {
  protected:
    void Assign(int key, uint32_t code) {
        auto keys = keyboard->KeyAssignments();
        keys[size_t(key)].current = profiles::KeyAssign::FromCode(uint16_t(key), code);
        keyboard->SetKeyAssignments(keys);
    }
};

TEST_F(KeyboardStoredDataTest, AReassignedKeyKeepsItsSlotAcrossReadsAndCanBeRestored) {
    Connect(false);
    const int slotA = keyboard->Locations().slot[kKeyA];
    const int slotB = keyboard->Locations().slot[kKeyB];
    ASSERT_NE(slotA, kNoSlot);
    ASSERT_NE(slotB, kNoSlot);
    Assign(kKeyA, 0x200005);  // A types B
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    ASSERT_EQ(CodeAtSlot(Firmware(), slotA), (std::vector<uint8_t>{0x20, 0x00, 0x05}));

    // The next full read (here, as after a restart, from the stored locations) still
    // finds A where it was, and B only once.
    ASSERT_EQ(keyboard->ReadDevice(), CMD_OK);
    EXPECT_EQ(keyboard->Locations().slot[kKeyA], slotA);
    EXPECT_EQ(keyboard->Locations().slot[kKeyB], slotB);

    // Restoring A writes A's own slot; B's is left alone.
    Assign(kKeyA, 0x200004);
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    EXPECT_EQ(CodeAtSlot(Firmware(), slotA), (std::vector<uint8_t>{0x20, 0x00, 0x04}));
    EXPECT_EQ(CodeAtSlot(Firmware(), slotB), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_TRUE(keyboard->UnplacedKeys().empty());
}

TEST_F(KeyboardStoredDataTest, AKeyWithAnAssignmentButNoSlotIsReportedNotSkippedSilently) {
    Connect(false);
    const int slotA = keyboard->Locations().slot[kKeyA];
    Assign(kKeyA, 0x200005);
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    // Without the stored locations (a keyboard first met with A already reassigned)
    // nothing tells where A is.
    std::filesystem::remove(temp.Folders().DataFolder("keyboard") /
                            devices::kKnownKeyLocationsFile);
    ASSERT_EQ(keyboard->ReadDevice(), CMD_OK);
    EXPECT_EQ(keyboard->Locations().slot[kKeyA], kNoSlot);
    Assign(kKeyA, 0x200006);
    const auto before = Firmware().Memory(Area::KeyMap);
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    EXPECT_EQ(keyboard->UnplacedKeys(), std::vector<int>{kKeyA});
    EXPECT_EQ(CodeAtSlot(Firmware(), slotA), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_EQ(Firmware().Memory(Area::KeyMap), before);
}

TEST_F(KeyboardStoredDataTest, StoredLocationsOfAnotherKeyboardSizeAreNotUsed) {
    const std::vector<uint8_t> keyMap = {0x20, 0x00, 0x05, 0x20, 0x00, 0x05};
    const std::vector<uint8_t> ledMap = {7, 9};
    devices::KnownKeyLocations known;
    known.slotCount = 2;
    known.locations.slot[kKeyA] = 0;
    known.locations.slot[kKeyB] = 1;
    auto located = devices::LocateKeys(keyMap, ledMap, 2, known);
    EXPECT_EQ(located.slot[kKeyA], 0);
    EXPECT_EQ(located.led[kKeyA], 7);
    EXPECT_EQ(located.slot[kKeyB], 1);
    known.slotCount = 3;
    located = devices::LocateKeys(keyMap, ledMap, 2, known);
    EXPECT_EQ(located.slot[kKeyA], kNoSlot);
    EXPECT_EQ(located.slot[kKeyB], 0);  // first match, as without stored locations
}

TEST_F(KeyboardStoredDataTest, ASyncRequestRightAfterAProfileSwitchStillLoadsTheNewProfile) {
    Connect(false);
    EXPECT_EQ(keyboard->GetProfileName(), "First");
    WriteText(temp.Folders().DataFolder("keyboard") / "ProfileList.ini",
              R"({"profilelist":[{"profilename":"First","profileUUID":"first"},)"
              R"({"profilename":"Second","profileUUID":"second"}],"profileselect":1})");
    Cable().SendNotification(CQuorvaneKeyboardDevice::kCodeProfileSwitched);
    Cable().SendNotification(CQuorvaneKeyboardDevice::kCodeSync);  // within the 50 ms
    EXPECT_TRUE(PumpUntil([&] { return keyboard->GetProfileName() == "Second"; }));
    // The flag is cleared by the sync that used it: a later sync alone reloads nothing.
    WriteText(temp.Folders().DataFolder("keyboard") / "ProfileList.ini",
              R"({"profilelist":[{"profilename":"First","profileUUID":"first"}],)"
              R"("profileselect":0})");
    Cable().SendNotification(CQuorvaneKeyboardDevice::kCodeSync);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(keyboard->GetProfileName(), "Second");
}

TEST_F(KeyboardStoredDataTest, TheCustomEffectPlaysTheStepsOfItsLightFile) {
    // Effect 28 of the effect list names "blue.light" beside the program: one static
    // blue step at full brightness.
    Json::Value config;
    for (int i = 0; i < 28; ++i) config["LightInfo"][0][i]["Guid"] = "";
    config["LightInfo"][0][28]["Guid"] = "blue";
    config["LightInfo"][0][28]["LightName"] = "Blue";
    ASSERT_TRUE(profiles::WriteJsonFile(
        temp.Folders().DataFolder("keyboard") / "zunik_light.config", config));
    Json::Value steps;
    Json::Value step;
    step["LEDREGMode"] = 1;  // static
    step["LEDBrightness"] = 4;
    step["LEDSpeed"] = 4;
    step["blue"] = 200;
    step["Time"] = 1000;
    steps["LEDEffectList"].append(step);
    ASSERT_TRUE(profiles::WriteJsonFile(temp.Folders().InstallFolder() / "blue.light", steps));
    keyboard->SetWindowActive(true);  // the page in view: the effect steps its picture
    Connect(false);
    auto light = keyboard->Profile().GetLightInfo();
    light.selectItem = lighting::kCustomProgramMode;
    keyboard->Profile().SetLightInfo(light);
    keyboard->SaveProfile();

    keyboard->LoadProfile();  // as a profile selection does
    keyboard->ApplyProfileLighting();
    const devices::LedColour blue = {0, 0, 200, 255};
    EXPECT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kKeyA) == blue; }));
    keyboard->SetWindowActive(true);
    keyboard->ShowTip(1);
    keyboard->RefreshLights();
    auto* button = dynamic_cast<TestKeyButton*>(paint.FindControl("light_84"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->colour, 0x0000C8u);
}

TEST_F(KeyboardStoredDataTest, ALightNameFileWithoutAListKeepsThePreviousNames) {
    const auto config = temp.Folders().DataFolder("keyboard") / "zunik_light.config";
    Json::Value names;
    names["LightInfo"][1][0]["LightName"] = "Mine";
    ASSERT_TRUE(profiles::WriteJsonFile(config, names));
    keyboard->LoadNameLists();
    const size_t modes = keyboard->ModeMap().size();
    ASSERT_GT(modes, 0u);
    // The list goes missing from the file, and then the file itself: what was read stays.
    ASSERT_TRUE(profiles::WriteJsonFile(config, Json::Value(Json::objectValue)));
    keyboard->LoadNameLists();
    EXPECT_EQ(keyboard->CustomLightNames(), std::vector<std::string>{"Mine"});
    std::filesystem::remove(config);
    keyboard->LoadNameLists();
    EXPECT_EQ(keyboard->CustomLightNames(), std::vector<std::string>{"Mine"});
    EXPECT_EQ(keyboard->ModeMap().size(), modes);
}

}  // namespace
}  // namespace vivori::testing
