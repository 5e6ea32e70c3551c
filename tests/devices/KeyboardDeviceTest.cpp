#include "KeyboardFixture.h"
#include "device/MacroImage.h"
#include "devices/KeyTablePlan.h"
#include "profiles/JsonFile.h"
#include "ui/core/CProgressUI.h"

namespace vivori::testing {
namespace {

namespace lb = devices::light_byte;
using devices::kNoSlot;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t at, size_t length) {
    return {bytes.begin() + ptrdiff_t(at), bytes.begin() + ptrdiff_t(at + length)};
}

std::vector<uint8_t> Code(uint32_t code) {
    return {uint8_t(code >> 16), uint8_t(code >> 8), uint8_t(code)};
}

int Bytes(const sim::SimDevice& device, uint8_t command) {
    int total = 0;
    for (const auto& f : device.ReceivedFrames())
        if (f[3] == command) total += f[4];
    return total;
}

bool OnlyLinkChecks(const sim::SimDevice& device) {
    for (const auto& f : device.ReceivedFrames())
        if (f[3] != CMD_LINK_CHECK) return false;
    return true;
}

TEST_F(KeyboardDeviceTest, ConnectingIdentifiesTheKeysAndKeepsTheDeviceSettingsInTheProfile) {
    Firmware().Store(Area::Params, lb::kWFlag, std::vector<uint8_t>{1});
    Connect(false);
    EXPECT_EQ(keyboard->KeySlotCount(), 104);
    EXPECT_EQ(Bytes(Cable(), CMD_READ_KEYMAP), 312);
    EXPECT_EQ(Bytes(Cable(), CMD_READ_LED_MAP), 104);
    const auto& keys = keyboard->Locations();
    EXPECT_EQ(keys.slot[0], 0);    // Esc, first in the key map
    EXPECT_EQ(keys.slot[84], 73);  // left Shift, a modifier-only code
    EXPECT_EQ(keys.led[84], 73);
    EXPECT_EQ(keys.slot[16], kNoSlot);  // FN keys this keyboard lacks
    EXPECT_EQ(keys.slot[130], kNoSlot);
    // The device's flags and polling rate are now the profile's, on disk.
    const Json::Value stages = profiles::ReadJsonFile(profilePath)["Device"][0]["SystemStages"];
    EXPECT_EQ(stages["WFlag"].asInt(), 1);
    EXPECT_EQ(stages["PollingRate"].asInt(), 3);
    EXPECT_TRUE(Selected("wflag_option"));
    EXPECT_TRUE(Selected("polling_rate_option_3"));
    // Repeat settings are the host's: they come from the profile (delay 1, rate 20).
    EXPECT_TRUE(Selected("repeat_delay_check_1"));
    EXPECT_EQ(paint.FindControl("repeat_delay_time_label1")->GetText(), "Repeat_Delay_Time500ms");
    EXPECT_EQ(dynamic_cast<ui::CProgressUI*>(paint.FindControl("repeat_rate_slider"))->GetValue(),
              20);
}

TEST_F(KeyboardDeviceTest, TooManyKeySlotsLeaveTheMapsUnreadAndAChangedCountTheKeyTableUnwritten) {
    Connect(false);
    const auto before = keyboard->Locations().slot;
    Firmware().Store(Area::Info, kInfoKeySlots, std::vector<uint8_t>{171});
    Cable().ClearFrames();
    EXPECT_EQ(keyboard->ReadDevice(), CMD_BAD_BLOCK);
    EXPECT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_BAD_BLOCK);
    EXPECT_EQ(Bytes(Cable(), CMD_READ_KEYMAP), 0);
    EXPECT_EQ(Bytes(Cable(), CMD_WRITE_KEYMAP), 0);
    EXPECT_EQ(keyboard->Locations().slot, before);  // the last good read stays
    EXPECT_FALSE(Firmware().InConfiguration());
    // A count the maps can hold, but not the one they were read with.
    Firmware().Store(Area::Info, kInfoKeySlots, std::vector<uint8_t>{100});
    EXPECT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_BAD_BLOCK);
    EXPECT_EQ(Bytes(Cable(), CMD_WRITE_KEYMAP), 0);
}

class KeyboardWayTest : public KeyboardDeviceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(KeyboardWayTest, KeyTableAndMacrosFollowOneWalkOverTheKeys) {
    AddMacro(2);
    AddMacro(3);
    AddMacro(4);
    Connect(GetParam());
    const auto original = Firmware().Memory(Area::KeyMap);
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    EXPECT_EQ(Firmware().Memory(Area::KeyMap), original);  // read, then written unchanged

    auto keys = keyboard->KeyAssignments();
    ASSERT_GE(keys.size(), 126u);
    const auto& slot = keyboard->Locations().slot;
    keys[22].current = {22, 0x70, 2, 0};  // macro 2 goes first in the image
    keys[23].current = {23, 0x71, 0, 0};
    keys[24].current = {24, 0x70, 2, 0};
    keys[25].current = {25, 0x70, 7, 0};     // no macro 7: the key's default is written
    keys[64].current = {64, 0x20, 0, 0x05};  // A plays B
    keyboard->SetKeyAssignments(keys);
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    ASSERT_EQ(keyboard->WriteMacros(), CMD_OK);

    const auto map = Firmware().Memory(Area::KeyMap);
    EXPECT_EQ(Slice(map, slot[22] * 3u, 3), Code(0x700000));
    EXPECT_EQ(Slice(map, slot[23] * 3u, 3), Code(0x710100));
    EXPECT_EQ(Slice(map, slot[24] * 3u, 3), Code(0x700000));
    EXPECT_EQ(Slice(map, slot[25] * 3u, 3), Code(0x200021));
    EXPECT_EQ(Slice(map, slot[64] * 3u, 3), Code(0x200005));
    macros::MacroLibrary library(temp.Folders().DataFolder("keyboard"));
    const auto image = BuildMacroImage({library.Events(2), library.Events(0)}, 4096);
    EXPECT_EQ(Slice(Firmware().Memory(Area::Macros), 0, image.bytes.size()), image.bytes);
}

TEST_P(KeyboardWayTest, SettingsBlockGoesBackAsReadAndCarriesProfileChanges) {
    Connect(GetParam());
    const auto original = Firmware().Memory(Area::Params);
    ASSERT_EQ(keyboard->WriteSettings(), CMD_OK);
    EXPECT_EQ(Firmware().Memory(Area::Params), original);

    auto light = keyboard->Profile().GetLightInfo();
    light.selectItem = devices::kMusicMode;  // host-driven: stored as 0xFE
    light.speed = 1;
    light.red = 0x12;
    keyboard->Profile().SetLightInfo(light);
    auto system = keyboard->Profile().GetSystemStages();
    system.winFlag = 1;
    system.pollingRate = 2;
    keyboard->Profile().SetSystemStages(system);
    ASSERT_EQ(keyboard->WriteSettings(), CMD_OK);
    const auto params = Firmware().Memory(Area::Params);
    EXPECT_EQ(params[lb::kMode], devices::kHostDrivenModeCode);
    EXPECT_EQ(params[lb::kSpeed], 3);
    EXPECT_EQ(params[lb::kRed], 0x12);
    EXPECT_EQ(params[lb::kWindowsLock], 1);
    EXPECT_EQ(params[lb::kPollingRate], 2);
    EXPECT_EQ(Slice(params, 34, params.size() - 34), Slice(original, 34, original.size() - 34));

    // Read back, the host-driven code keeps the mode the page runs.
    keyboard->ApplyProfileLighting();
    ASSERT_EQ(keyboard->ReadLightBlock(), CMD_OK);
    EXPECT_EQ(keyboard->Light().mode, devices::kMusicMode);
    EXPECT_EQ(keyboard->Light().speed, 1);
}

TEST_P(KeyboardWayTest, PerKeyColoursGoBackAsReadAndFollowTheProfile) {
    // Light slot 0 runs the custom colours from colour block 2.
    const uint8_t customCode = uint8_t(keyboard->ModeMap().at(devices::kCustomColourMode));
    Firmware().Store(Area::Params, lb::kMode, std::vector<uint8_t>{customCode});
    Firmware().Store(Area::Params, lb::kColourBlock, std::vector<uint8_t>{2});
    std::vector<uint8_t> colours(104 * 3);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = uint8_t(i * 7 + 1);
    Firmware().Store(Area::KeyColours, 2 * 512, colours);
    // A slot whose LED index lies past the block: its colour has nowhere to go.
    Firmware().Store(Area::LedMap, 5, std::vector<uint8_t>{170});
    Connect(GetParam());

    EXPECT_EQ(keyboard->Light().mode, devices::kCustomColourMode);
    EXPECT_GT(Bytes(Way(GetParam()), CMD_WRITE_KEY_COLOURS), 0);
    auto block = Firmware().Memory(Area::KeyColours);
    auto expected = colours;
    expected[15] = expected[16] = expected[17] = 0;  // LED 5 is no key's any more
    EXPECT_EQ(Slice(block, 1024, colours.size()), expected);
    EXPECT_EQ(Slice(block, 1024 + colours.size(), 512 - colours.size()),
              std::vector<uint8_t>(512 - colours.size(), 0));

    // The colours were kept in the profile under block 2; a change there goes out
    // scaled by its brightness.
    auto stored = keyboard->Profile().GetCustomLightColors(2, 170);
    EXPECT_EQ(stored[0].red, colours[0]);
    stored[0] = {200, 100, 50, 128};
    keyboard->Profile().SetCustomLightColors(stored, 2);
    keyboard->ApplyProfileLighting();
    ASSERT_EQ(keyboard->WriteKeyColours(), CMD_OK);
    EXPECT_EQ(Slice(Firmware().Memory(Area::KeyColours), 1024, 3),
              (std::vector<uint8_t>{100, 50, 25}));
}

TEST_P(KeyboardWayTest, ProfileSwitchOnTheDeviceRereadsAndRefreshesThePageOnTheUiThread) {
    Connect(GetParam());
    EXPECT_FALSE(Selected("wflag_option"));
    Firmware().Store(Area::Params, lb::kWFlag, std::vector<uint8_t>{1});
    Firmware().Store(Area::Params, lb::kPollingRate, std::vector<uint8_t>{1});
    // The switch also selected another profile, which is loaded and then follows the device.
    WriteText(temp.Folders().DataFolder("keyboard") / "ProfileList.ini",
              R"({"profilelist":[{"profilename":"First","profileUUID":"first"},)"
              R"({"profilename":"Second","profileUUID":"second"}],"profileselect":1})");
    Way(GetParam()).SendNotification(CQuorvaneKeyboardDevice::kCodeProfileSwitched);
    // Until the UI thread runs, the reader leaves the page and the commands alone.
    Sleep(100);
    EXPECT_FALSE(Selected("wflag_option"));
    EXPECT_TRUE(PumpUntil([&] { return Selected("wflag_option"); }));
    EXPECT_TRUE(Selected("polling_rate_option_1"));
    EXPECT_EQ(keyboard->LastSyncCode(), CQuorvaneKeyboardDevice::kCodeProfileSwitched);
    EXPECT_EQ(keyboard->GetProfileName(), "Second");
    const auto second = temp.Folders().DataFolder("keyboard") / "second.Json";
    EXPECT_EQ(profiles::ReadJsonFile(second)["Device"][0]["SystemStages"]["PollingRate"].asInt(),
              1);
}

INSTANTIATE_TEST_SUITE_P(CableAndReceiver, KeyboardWayTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Receiver" : "Cable"; });

TEST_F(KeyboardDeviceTest, LightSlotNotificationsSetTheSlotAndTheSecondaryValue) {
    Connect(false);
    // Waits for the slot a code sets (a loaded machine can take longer than a fixed
    // pause), then a little more for the key press after it.
    auto settle = [&](uint16_t code, int slot) {
        Cable().SendNotification(code);
        Cable().SendNotification(0x0503);  // a key press after it: not acted on
        PumpUntil([&] { return keyboard->LightSlot() == slot; });
        PumpUntil([] { return false; }, 150);
    };
    settle(0x1123, 3);
    EXPECT_EQ(keyboard->LightSlot(), 3);
    EXPECT_EQ(keyboard->CurrentLightBlock()[lb::kSecondary], 2);
    settle(0x1005, 5);
    EXPECT_EQ(keyboard->LightSlot(), 5);
    EXPECT_EQ(keyboard->CurrentLightBlock()[lb::kSecondary], 2);
    settle(0x0404, 5);
    EXPECT_EQ(keyboard->LightSlot(), 5);
    // Reports without a usable code are dropped: no items, or a value item first.
    keyboard->OnNotificationReport({}, false);
    HidDataItem value;
    value.isButton = false;
    keyboard->OnNotificationReport({value}, false);
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(keyboard->LightSlot(), 5);
}

TEST_F(KeyboardDeviceTest, WritesSkipSilentlyWhenTheReceiversKeyboardIsAway) {
    AddMacro(2);
    Connect(true);
    auto keys = keyboard->KeyAssignments();
    keys[22].current = {22, 0x70, 0, 0};
    keyboard->SetKeyAssignments(keys);
    Receiver().SetDeviceAway(true);
    Receiver().ClearFrames();
    Cable().ClearFrames();
    const auto memory = [&] {
        std::vector<std::vector<uint8_t>> all;
        for (Area a : {Area::KeyMap, Area::Params, Area::Macros, Area::KeyColours})
            all.push_back(Firmware().Memory(a));
        return all;
    };
    const auto before = memory();
    EXPECT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_LINK_DOWN);
    EXPECT_EQ(keyboard->WriteMacros(), CMD_LINK_DOWN);
    EXPECT_EQ(keyboard->WriteSettings(), CMD_LINK_DOWN);
    EXPECT_FALSE(keyboard->IsWirelessOnline());
    EXPECT_TRUE(OnlyLinkChecks(Receiver()));
    EXPECT_EQ(Cable().ReceivedCount(), 0u);
    EXPECT_EQ(memory(), before);

    keyboard->Detach();  // closed: not even a link check
    Receiver().ClearFrames();
    EXPECT_EQ(keyboard->WriteSettings(), CMD_NO_REPLY);
    EXPECT_EQ(keyboard->ReadDevice(), CMD_NO_REPLY);
    EXPECT_EQ(Receiver().ReceivedCount(), 0u);
}

TEST_F(KeyboardDeviceTest, MacrosTooLargeForTheMemoryAreRefusedWithTheCountAndNothingSent) {
    AddMacro(1020);  // 16 + 2 + 4 + 4080 bytes: 6 over the 4096 the keyboard has
    Connect(false);
    auto keys = keyboard->KeyAssignments();
    keys[30].current = {30, 0x70, 0, 0};
    keyboard->SetKeyAssignments(keys);
    Cable().ClearFrames();
    // Through the base interface, as the macro panel calls it.
    devices::CQuorvaneUSBDevice& device = *keyboard;
    const auto result = device.WriteUsedMacros();
    EXPECT_EQ(result.eventsTooMany, 2);
    EXPECT_EQ(Cable().ReceivedCount(), 0u);
    EXPECT_EQ(Firmware().Memory(Area::Macros), std::vector<uint8_t>(4096, 0));
}

TEST_F(KeyboardDeviceTest, FailedCommandsAreReportedAndKeepConfigurationEnded) {
    Connect(false);
    Cable().InjectFault({sim::FaultRule::StatusFF, CMD_WRITE_PARAMS, 0, 1});
    EXPECT_EQ(keyboard->WriteSettings(), CMD_DEVICE_ERROR_FF);
    EXPECT_FALSE(Firmware().InConfiguration());
    Cable().InjectFault({sim::FaultRule::StatusFE, CMD_READ_PARAMS, 1, 1});
    const auto block = keyboard->CurrentLightBlock();
    EXPECT_EQ(keyboard->ReadLightBlock(), CMD_DEVICE_ERROR_FE);
    EXPECT_EQ(keyboard->CurrentLightBlock(), block);
}

TEST_F(KeyboardDeviceTest, PowerStatusIsReadOnlyWhenThePollRunsAndTheKeyboardAnswers) {
    Connect(true);
    keyboard->SetPowerDisplay(true);
    keyboard->ReadPowerStatus();
    EXPECT_EQ(keyboard->PowerRecord(), (std::array<uint8_t, 6>{80, 2, 0, 1, 80, 0}));
    Firmware().Store(Area::Status, 0, std::vector<uint8_t>{20});
    keyboard->SetPowerPollPause(true);
    Receiver().ClearFrames();
    keyboard->ReadPowerStatus();
    EXPECT_EQ(Receiver().ReceivedCount(), 0u);
    keyboard->SetPowerPollPause(false);
    Receiver().SetDeviceAway(true);
    keyboard->ReadPowerStatus();
    EXPECT_EQ(keyboard->PowerRecord()[0], 80);
    EXPECT_TRUE(OnlyLinkChecks(Receiver()));
}

TEST_F(KeyboardDeviceTest, KeyButtonsShowTheirAssignmentsAndMarkChangedOnes) {
    AddMacro(2);
    keyboard->LoadProfile();
    auto keys = keyboard->KeyAssignments();
    keys[65].current = {65, 0x70, 0, 0};        // S plays a macro: its name
    keys[66].current = {66, 0x30, 0xCD, 0x00};  // D: a media key
    keys[67].current = {67, 0x20, 0x10, 0x06};  // right Ctrl + C: the copy shortcut
    keys[68].current = {68, 0x15, 1, 2};        // keeps its label
    keys[69].current = {69, 0x99, 0, 0};        // unknown: off
    keyboard->SetKeyAssignments(keys);
    keyboard->RefreshPage();
    auto button = [&](const char* name) {
        return dynamic_cast<TestKeyButton*>(paint.FindControl(name));
    };
    // Without a language loaded, a language key shows as itself.
    EXPECT_EQ(button("key_64")->GetToolTip(), "keyboard_key_AKey_Setkeyboard_key_A");
    EXPECT_EQ(button("key_64")->title, "keyboard_key_A");
    EXPECT_EQ(button("key_64")->isDefault, 1);
    EXPECT_EQ(button("key_65")->GetToolTip(), "keyboard_key_SKey_Setmacro_1");
    EXPECT_EQ(button("key_65")->isDefault, 0);
    EXPECT_EQ(button("key_66")->GetToolTip(), "keyboard_key_DKey_Setmedia_play");
    EXPECT_EQ(button("key_67")->GetToolTip(), "keyboard_key_FKey_Setcustem_copy");
    EXPECT_EQ(button("key_68")->GetToolTip(), "");
    EXPECT_EQ(button("key_68")->isDefault, -1);
    EXPECT_EQ(button("key_69")->GetToolTip(), "keyboard_key_HKey_Set关闭");
}

}  // namespace
}  // namespace vivori::testing
