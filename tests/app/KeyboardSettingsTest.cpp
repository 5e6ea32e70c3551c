// The keyboard's settings tab, factory reset, custom paint tool, key clicks, the
// audio background light and the desktop's input settings, through the main window
// with the real keyboard object and the simulated keyboard.
#include <json/json.h>
#include <stdlib.h>

#include <fstream>
#include <set>

#include "AppFixture.h"
#include "app/handlers/KeyboardSettings.h"
#include "app/windows/CMsgWnd.h"
#include "devices/IDeviceKeyButton.h"
#include "profiles/CKeyboardProfiledata.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/CSliderUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

// Settings block bytes of the keyboard's light slot 0.
constexpr size_t kWFlagByte = 19;
constexpr size_t kSixKeyByte = 20;
constexpr size_t kWinLockByte = 21;
constexpr size_t kPollingByte = 22;

class KeyboardSettingsTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        // A selected profile, so every change has a file to be saved into.
        folder =
            std::filesystem::path(getenv("XDG_DATA_HOME")) / "VELTRA VIVORI Trivex V2" / "keyboard";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "ProfileList.ini")
            << R"({"profilelist":[{"profilename":"First","profileUUID":"first"}],)"
            << R"("profileselect":0})";
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            questions.push_back(request.text);
            return answer;
        });
        Start();
        simulated = Plug("keyboard");
        ASSERT_TRUE(
            PumpUntil([&] { return KeyboardShown() && Keyboard()->KeySlotCount() > 0; }, 5000));
        Window().ShowWindow(true);
    }
    void TearDown() override {
        app::CMsgWnd::SetAnswerForTests({});
        AppTest::TearDown();
    }

    // A control of the keyboard's page (the mouse page reuses many names).
    ui::CControlUI* Control(std::string_view name) {
        ui::CControlUI* control = Window().PaintManager().FindSubControlByName(Keyboard(), name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Select(std::string_view name, bool on = true) {
        static_cast<ui::COptionUI*>(Control(name)->GetInterface("Option"))->Selected(on);
    }
    void Send(std::string_view name, std::string_view type) {
        Window().PaintManager().SendNotify(Control(name), type);
    }
    static std::string Text(std::string_view key) {
        return ui::CResourceManager::GetInstance().ResolveText(key);
    }
    uint8_t Param(size_t byte) {
        return sim::FirmwareOf(simulated)->Memory(sim::Area::Params)[byte];
    }
    Json::Value Stored(const char* section) {
        std::ifstream file(folder / "first.Json");
        Json::Value root;
        file >> root;
        return root["Device"][0][section];
    }

    std::filesystem::path folder;
    std::shared_ptr<sim::SimDevice> simulated;
    std::vector<std::string> questions;
    int answer = 1;
};

TEST_F(KeyboardSettingsTest, SettingsTabChangesReachTheFileAndTheKeyboard) {
    Select("polling_rate_option_1");
    EXPECT_EQ(Param(kPollingByte), 1);
    EXPECT_EQ(Stored("SystemStages")["PollingRate"].asInt(), 1);
    Select("winlockflag_option");
    Select("wflag_option");
    Select("6flag_option");
    EXPECT_EQ(Param(kWinLockByte), 1);
    EXPECT_EQ(Param(kWFlagByte), 1);
    EXPECT_EQ(Param(kSixKeyByte), 1);
    Select("6flag_option", false);
    EXPECT_EQ(Param(kSixKeyByte), 0);
    EXPECT_EQ(Stored("SystemStages")["Key6Flag"].asInt(), 0);
    EXPECT_EQ(Stored("SystemStages")["WinFlag"].asInt(), 1);

    static_cast<ui::CSliderUI*>(Control("repeat_rate_slider")->GetInterface("Slider"))->SetValue(7);
    Send("repeat_rate_slider", ui::kNotifyValueChanged);
    Select("repeat_delay_check_2");
    EXPECT_EQ(Stored("SystemStages")["Repeat"].asInt(), 7);
    EXPECT_EQ(Stored("SystemStages")["RepeatDelay"].asInt(), 2);
    EXPECT_NE(Control("repeat_delay_time_label1")->GetText().find("750ms"), std::string::npos);

    // Back to the shipped repeat settings; the rest stays.
    Send("reset_repeat_btn", ui::kNotifyClick);
    EXPECT_EQ(Stored("SystemStages")["Repeat"].asInt(), 20);
    EXPECT_EQ(Stored("SystemStages")["RepeatDelay"].asInt(), 1);
    EXPECT_EQ(Keyboard()->SystemSettings().pollingRate, 1);
    EXPECT_EQ(Param(kPollingByte), 1);

    Keyboard()->ShowTip(4);  // the settings tab
    EXPECT_TRUE(
        ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/keyboard-settings.png"));
}

TEST_F(KeyboardSettingsTest, FactoryResetAsksFirstThenWritesTheDefaults) {
    Select("polling_rate_option_1");
    Select("winlockflag_option");
    answer = 0;
    Send("default_btn", ui::kNotifyClick);
    EXPECT_EQ(questions, std::vector<std::string>{Text("message_text_22")});
    EXPECT_EQ(Param(kPollingByte), 1) << "declined, nothing changes";

    answer = 1;
    simulated->ClearFrames();
    Send("default_btn", ui::kNotifyClick);
    EXPECT_EQ(Param(kPollingByte), 0);
    EXPECT_EQ(Param(kWinLockByte), 0);
    EXPECT_EQ(Stored("SystemStages")["PollingRate"].asInt(), 0);
    bool keyTableWritten = false;
    for (const auto& frame : simulated->ReceivedFrames())
        keyTableWritten |= frame[3] == CMD_WRITE_KEYMAP;
    EXPECT_TRUE(keyTableWritten);
}

TEST_F(KeyboardSettingsTest, PaintToolPaintsTheDraggedKeysIntoTheKeyColourMemory) {
    Keyboard()->SetCurrentColour(0, 200, 100);
    const auto colour = [&](int key) {
        const int block = Keyboard()->CurrentLightBlock()[25];
        const size_t at = size_t(block) * 512 + Keyboard()->Locations().led[size_t(key)] * 3u;
        const auto memory = sim::FirmwareOf(simulated)->Memory(sim::Area::KeyColours);
        return std::vector<uint8_t>(memory.begin() + long(at), memory.begin() + long(at) + 3);
    };
    Send("custom_bright_color_btn", ui::kNotifyClick);  // nothing selected yet: a tool only
    // A key not painted keeps the colour the profile holds for it.
    const devices::LedColour kept = Keyboard()->CustomKeyColours()[3];
    const auto scaled = [&](uint8_t channel) { return uint8_t(channel * kept.brightness / 255); };
    const std::vector<uint8_t> untouched = {scaled(kept.red), scaled(kept.green),
                                            scaled(kept.blue)};
    ui::CPaintManagerUI& manager = Window().PaintManager();
    manager.LayoutIfNeeded();
    // A drag from the gap left of F1 to inside F2.
    const ui::UiRect f1 = Control("key_1")->GetPos();
    const ui::UiRect f2 = Control("key_2")->GetPos();
    manager.HandleButtonDown({f1.left - 3, f1.top - 3});
    manager.HandleMouseMove({f1.left + 10, f1.top + 10});
    manager.HandleMouseMove({f2.left + 4, f2.top + 4});
    manager.HandleButtonUp({f2.left + 4, f2.top + 4});

    EXPECT_EQ(colour(1), (std::vector<uint8_t>{0, 200, 100}));
    EXPECT_EQ(colour(2), (std::vector<uint8_t>{0, 200, 100}));
    EXPECT_EQ(colour(3), untouched);
    EXPECT_EQ(Keyboard()->Light().mode, devices::kCustomColourMode);
    EXPECT_EQ(Param(1), devices::kCustomColourMode);  // the mode map is the identity
    profiles::CKeyboardProfiledata stored;
    stored.Load(folder / "first.Json");
    const auto colours = stored.GetCustomLightColors(stored.GetLightInfo().customGroup, 170);
    EXPECT_EQ(colours[1], (profiles::RgbaColor{0, 200, 100, 255}));

    // The same keys still selected: the off tool darkens them at once.
    Send("custom_off_color_btn", ui::kNotifyClick);
    EXPECT_EQ(colour(1), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(colour(2), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(KeyboardSettingsTest, KeyClicksSelectTheKeyAndTheBackgroundLightGoesOff) {
    Send("key_5", ui::kNotifyClick);
    EXPECT_EQ(Keyboard()->SelectedKey(), 5);

    const devices::AudioLightWords before = Keyboard()->GetAudioLightWords();
    ASSERT_NE(before.first >> 8, 0u);  // the shipped background is dark blue
    Send("Close_bkColor_btn", ui::kNotifyClick);
    EXPECT_EQ(Keyboard()->GetAudioLightWords().first, before.first & 0xFF);
    EXPECT_EQ(Keyboard()->GetAudioLightWords().second, before.second);
    EXPECT_EQ(Stored("AudioLightInfo")["BkColorB"].asInt(), 0);
}

TEST_F(KeyboardSettingsTest, DesktopInputSettingsStartDetachedOrSayNoneIsInstalled) {
    const std::string path = getenv("PATH") ? getenv("PATH") : "";
    const std::filesystem::path bin = folder / "bin";
    std::filesystem::create_directories(bin);
    const std::filesystem::path program = bin / "xfce4-keyboard-settings";
    std::ofstream(program) << "#!/bin/sh\n: > \"$0.ran\"\n";  // no PATH for touch here
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    setenv("XDG_CURRENT_DESKTOP", "XFCE", 1);
    setenv("PATH", bin.c_str(), 1);
    Send("windowdeviceset_0", ui::kNotifyClick);
    const bool ran =
        PumpUntil([&] { return std::filesystem::exists(bin / "xfce4-keyboard-settings.ran"); });
    std::filesystem::remove(program);
    Send("windowdeviceset_0", ui::kNotifyClick);
    setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(ran);
    EXPECT_EQ(questions, std::vector<std::string>{Text("input_settings_missing_text")});
}

TEST(DesktopInputSettingsTest, TheCurrentDesktopsProgramComesFirstThenAnyInstalledOne) {
    auto installed = [](std::set<std::string> programs) {
        return [programs](std::string_view name) -> std::optional<std::string> {
            if (!programs.count(std::string(name))) return std::nullopt;
            return "/usr/bin/" + std::string(name);
        };
    };
    using Command = std::optional<std::vector<std::string>>;
    const auto all = installed({"gnome-control-center", "systemsettings", "xfce4-mouse-settings"});
    EXPECT_EQ(app::DesktopInputSettingsCommand(0, "ubuntu:GNOME", all),
              (Command{{"/usr/bin/gnome-control-center", "keyboard"}}));
    EXPECT_EQ(app::DesktopInputSettingsCommand(1, "KDE", all),
              (Command{{"/usr/bin/systemsettings", "kcm_mouse"}}));
    EXPECT_EQ(app::DesktopInputSettingsCommand(1, "XFCE", all),
              (Command{{"/usr/bin/xfce4-mouse-settings"}}));
    // KDE's is missing: another desktop's program still opens the settings.
    EXPECT_EQ(app::DesktopInputSettingsCommand(0, "KDE", installed({"gnome-control-center"})),
              (Command{{"/usr/bin/gnome-control-center", "keyboard"}}));
    EXPECT_EQ(app::DesktopInputSettingsCommand(0, "", installed({})), std::nullopt);
    EXPECT_EQ(app::DesktopInputSettingsCommand(2, "GNOME", all), std::nullopt);
}

}  // namespace
}  // namespace vivori::testing
