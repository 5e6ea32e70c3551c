// A device that stops answering, as the window meets it with writes on the devices'
// own threads (as the program runs): clicks come back at once, the selector entry and
// the header say the device does not answer, and what the user chose meanwhile
// reaches the device when it answers again.
#include <chrono>

#include "AppFixture.h"
#include "app/CDeviceOptionUI.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "devices/MouseSettingsBlock.h"
#include "panels/CLightControlUI.h"
#include "panels/ColourText.h"
#include "sim/SimProduct.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

namespace lb = devices::light_byte;
namespace mb = devices::mouse_byte;
using Clock = std::chrono::steady_clock;

class SilentDeviceTest : public AppTest {
  protected:
    void StartWithKeyboard() {
        queueDeviceWrites = true;
        powerPeriodMs = 100;  // the poll is what finds the device answering again
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        Start();
        keyboardSim = Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] {
            return Kb() && Kb()->Commands().IsOpen() && Kb()->LightPanel()->GetMode() >= 0;
        }));
        Window().ShowSelectorEntry(Kb()->SelectorValue(), true, true);
        ASSERT_EQ(Window().CurrentDevice(), Kb());
    }

    devices::CQuorvaneKeyboardDevice* Kb() {
        return DeviceOf<devices::CQuorvaneKeyboardDevice>(kKindKeyboard);
    }
    app::CDeviceOptionUI* Entry() { return Window().Selector().Entry(Kb()->SelectorValue()); }
    bool HeaderSaysSilent() {
        ui::CControlUI* state = Window().PaintManager().FindSubControlByName(
            Kb()->PowerPanel(), "device_state_text");
        return state != nullptr && state->IsOwnVisible();
    }
    // Clicks a preset colour of the lighting panel; how long the click took.
    Clock::duration ClickPreset(int n) {
        ui::CControlUI* option = Kb()->LightPanel()->Child("color_option_" + std::to_string(n));
        const auto start = Clock::now();
        Window().PaintManager().SendNotify(option, ui::kNotifyClick);
        return Clock::now() - start;
    }
    std::array<uint8_t, 3> RgbOnKeyboard() {
        auto memory = sim::FirmwareOf(keyboardSim)->Memory(sim::Area::Params);
        return {memory[lb::kRed], memory[lb::kGreen], memory[lb::kBlue]};
    }
    std::array<uint8_t, 3> PresetRgb(int n) {
        const ui::UiColor c = Kb()->LightPanel()->GetPresetColour(n);
        return {uint8_t(panels::RedOf(c)), uint8_t(panels::GreenOf(c)), uint8_t(panels::BlueOf(c))};
    }

    std::shared_ptr<sim::SimDevice> keyboardSim;
};

TEST_F(SilentDeviceTest, ClicksDoNotWaitAndTheChoiceLandsWhenTheKeyboardAnswersAgain) {
    StartWithKeyboard();
    // A write that goes out healthy reaches the keyboard from its own thread.
    ClickPreset(2);
    ASSERT_TRUE(PumpUntil([&] { return RgbOnKeyboard() == PresetRgb(2); }));

    keyboardSim->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    // The cable's time-out is a second a try; the click must not wait for any of it.
    EXPECT_LT(ClickPreset(3), std::chrono::milliseconds(300));
    ASSERT_TRUE(PumpUntil([&] { return !Entry()->AnsweringShown(); }));
    EXPECT_TRUE(HeaderSaysSilent());
    EXPECT_TRUE(Kb()->NotAnswering());
    // Once known to be silent, the keyboard costs a click none of its time-out either
    // (the bound leaves room for a sanitizer build on a loaded machine).
    EXPECT_LT(ClickPreset(4), std::chrono::milliseconds(300));
    EXPECT_TRUE(Kb()->WritePending());
    Window().ShowWindow(true);
    EXPECT_TRUE(
        ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/not-answering.png"));
    // The profile holds the user's last choice all along.
    const profiles::LightInfo stored = Kb()->Profile().GetLightInfo();
    EXPECT_EQ((std::array<uint8_t, 3>{uint8_t(stored.red), uint8_t(stored.green),
                                      uint8_t(stored.blue)}),
              PresetRgb(4));
    EXPECT_EQ(RgbOnKeyboard(), PresetRgb(2));

    keyboardSim->ClearFaults();
    ASSERT_TRUE(PumpUntil([&] { return Entry()->AnsweringShown(); }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return RgbOnKeyboard() == PresetRgb(4); }));
    EXPECT_FALSE(HeaderSaysSilent());
    EXPECT_FALSE(Kb()->WritePending());
}

TEST_F(SilentDeviceTest, ConnectionReadsLeaveTheWindowFreeAndThePageSaysReadingUntilTheyEnd) {
    queueDeviceWrites = true;
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    Start();
    // A keyboard slow to answer its information read, with colours of its own, and a
    // mouse that never answers at all.
    keyboardSim = sim::MakeSimulatedDevice("keyboard");
    const std::array<uint8_t, 3> own{0x12, 0x34, 0x56};
    sim::FirmwareOf(keyboardSim)->Store(sim::Area::Params, lb::kRed, own);
    keyboardSim->InjectFault(
        {.kind = sim::FaultRule::Delay, .command = CMD_READ_INFO, .delayMs = 700});
    std::shared_ptr<sim::SimDevice> mouseSim = sim::MakeSimulatedDevice("mouse");
    mouseSim->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    bus->Plug(keyboardSim);
    bus->Plug(mouseSim);

    auto longest = Clock::duration::zero();
    auto pumpUntil = [&](const std::function<bool()>& done) {
        const auto end = Clock::now() + std::chrono::seconds(8);
        while (!done() && Clock::now() < end) {
            const auto start = Clock::now();
            ui::PumpMessages();
            longest = std::max(longest, Clock::now() - start);
            Sleep(2);
        }
        return done();
    };
    ASSERT_TRUE(pumpUntil([&] { return Kb() != nullptr && Kb()->Reading(); }));
    Window().ShowSelectorEntry(Kb()->SelectorValue(), true, true);
    ui::CControlUI* state = Window().PaintManager().FindSubControlByName(
        Kb()->PowerPanel(), "device_state_text");
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(state->IsOwnVisible());
    EXPECT_EQ(state->GetRawText(), "device_reading_text");
    // Until the keyboard's own settings are known, the page takes no clicks.
    EXPECT_FALSE(Kb()->IsEnabled());
    ASSERT_TRUE(pumpUntil([&] { return Entry()->ReadingShown(); }));
    Window().ShowWindow(true);
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/reading.png"));

    ASSERT_TRUE(pumpUntil([&] { return !Kb()->Reading() && !Entry()->ReadingShown(); }));
    EXPECT_TRUE(Kb()->IsEnabled());
    EXPECT_FALSE(state->IsOwnVisible());
    const devices::LightParameters light = Kb()->Light();
    EXPECT_EQ((std::array<uint8_t, 3>{light.red, light.green, light.blue}), own);
    const profiles::LightInfo stored = Kb()->Profile().GetLightInfo();
    EXPECT_EQ((std::array<int, 3>{stored.red, stored.green, stored.blue}),
              (std::array<int, 3>{own[0], own[1], own[2]}));

    // The silent mouse: its reads end in their time-outs on its own thread, and its
    // page says it does not answer.
    auto* mouse = DeviceOf<devices::CQuorvaneMouseDevice>(kKindMouse);
    ASSERT_NE(mouse, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !mouse->Reading() && mouse->NotAnswering(); }));
    EXPECT_TRUE(mouse->IsEnabled());
    // A second's time-out for each try happened meanwhile; the window never waited on one.
    EXPECT_LT(longest, std::chrono::milliseconds(300));
}

TEST_F(SilentDeviceTest, AKeyboardBackFromSilenceIsReadAgainWithNothingOwedToIt) {
    StartWithKeyboard();
    keyboardSim->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    ASSERT_TRUE(PumpUntil([&] { return !Entry()->AnsweringShown(); }));
    EXPECT_FALSE(Kb()->WritePending());
    // Meanwhile its colour was changed on the keyboard itself.
    const std::array<uint8_t, 3> own{0x21, 0x43, 0x65};
    sim::FirmwareOf(keyboardSim)->Store(sim::Area::Params, lb::kRed, own);
    keyboardSim->ClearFaults();
    ASSERT_TRUE(PumpUntil(
        [&] {
            const devices::LightParameters light = Kb()->Light();
            return std::array<uint8_t, 3>{light.red, light.green, light.blue} == own;
        },
        5000));
    EXPECT_TRUE(Entry()->AnsweringShown());
    EXPECT_EQ(Kb()->Profile().GetLightInfo().red, own[0]);
}

TEST_F(SilentDeviceTest, TheReceiversLinkChecksRunOnTheKeyboardsThreadAndFollowItAwayAndBack) {
    queueDeviceWrites = true;
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
    Start();
    keyboardSim = Plug("keyboard-receiver");
    ASSERT_TRUE(PumpUntil(
        [&] { return Kb() && Kb()->Commands().IsOpen() && !Kb()->Reading() && Entry()->IsShown(); },
        5000));
    keyboardSim->SetDeviceAway(true);
    ASSERT_TRUE(PumpUntil([&] { return !Entry()->IsShown(); }, 8000));
    keyboardSim->SetDeviceAway(false);
    ASSERT_TRUE(PumpUntil([&] { return Entry()->IsShown(); }, 8000));
}

TEST_F(SilentDeviceTest, ConnectionReadsQueuedBehindAWriteThatFailsStillEndTheReading) {
    StartWithKeyboard();
    keyboardSim->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    // A write the keyboard leaves unanswered, and a connection's reads queued behind
    // it: the failure drops the writes behind it, never the reads.
    ClickPreset(3);
    Kb()->OnConnected();
    EXPECT_TRUE(Kb()->Reading());
    ASSERT_TRUE(PumpUntil([&] { return !Kb()->Reading(); }, 8000));
    EXPECT_TRUE(Kb()->IsEnabled());
    EXPECT_TRUE(PumpUntil([&] { return !Entry()->AnsweringShown(); }));
    EXPECT_FALSE(Entry()->ReadingShown());
}

TEST_F(SilentDeviceTest, PowerPollsOfASilentKeyboardNeverHoldUpTheWindow) {
    StartWithKeyboard();
    keyboardSim->InjectFault({.kind = sim::FaultRule::NoReply, .times = -1});
    // Polls every 100 ms for a second and a half: each went to the keyboard's thread.
    auto longest = Clock::duration::zero();
    const auto end = Clock::now() + std::chrono::milliseconds(1500);
    while (Clock::now() < end) {
        const auto start = Clock::now();
        PumpFor(10);
        longest = std::max(longest, Clock::now() - start - std::chrono::milliseconds(10));
    }
    EXPECT_LT(longest, std::chrono::milliseconds(300));
    EXPECT_TRUE(PumpUntil([&] { return !Entry()->AnsweringShown(); }));
    EXPECT_TRUE(HeaderSaysSilent());
}

TEST_F(SilentDeviceTest, AMouseUnpluggedAsItIsWrittenGetsTheBlockWhenPluggedInAgain) {
    Start();
    std::shared_ptr<sim::SimDevice> mouseSim = Plug("mouse");
    auto* mouse = DeviceOf<devices::CQuorvaneMouseDevice>(kKindMouse);
    ASSERT_TRUE(PumpUntil([&] {
        mouse = DeviceOf<devices::CQuorvaneMouseDevice>(kKindMouse);
        return mouse && mouse->Commands().IsOpen() && mouse->LightPanel()->GetMode() >= 0;
    }));
    Window().ShowSelectorEntry(mouse->SelectorValue(), true, true);
    auto block = [&] {
        auto memory = sim::FirmwareOf(mouseSim)->Memory(sim::Area::Params);
        return std::array<uint8_t, 3>{memory[mb::kRed], memory[mb::kGreen], memory[mb::kBlue]};
    };
    const ui::UiColor preset = mouse->LightPanel()->GetPresetColour(3);
    const std::array<uint8_t, 3> chosen{uint8_t(panels::RedOf(preset)),
                                        uint8_t(panels::GreenOf(preset)),
                                        uint8_t(panels::BlueOf(preset))};
    ASSERT_NE(block(), chosen);

    // Pulled out as the block goes in.
    mouseSim->InjectFault({.kind = sim::FaultRule::Unplug, .command = CMD_WRITE_PARAMS});
    Window().PaintManager().SendNotify(mouse->LightPanel()->Child("color_option_3"),
                                       ui::kNotifyClick);
    EXPECT_NE(block(), chosen);
    EXPECT_TRUE(mouse->WritePending());

    bus->Plug(mouseSim);
    ASSERT_TRUE(PumpUntil([&] { return block() == chosen; }, 5000));
    mouse = DeviceOf<devices::CQuorvaneMouseDevice>(kKindMouse);
    ASSERT_NE(mouse, nullptr);
    EXPECT_FALSE(mouse->WritePending());
}

}  // namespace
}  // namespace vivori::testing
