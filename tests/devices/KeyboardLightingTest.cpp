// The keyboard's software lighting as the keyboard and the page see it: streamed
// frames in the keyboard's light-frame memory, LED buttons painted only while shown,
// key presses reaching the reactive effects, and the lighting thread's stop bound.
#include <json/json.h>

#include <algorithm>
#include <thread>

#include "KeyboardFixture.h"
#include "lighting/LightTables.h"
#include "platform/Debug.h"

namespace vivori::testing {
namespace {

constexpr int kEsc = 0;         // slot 0 on the simulated keyboard
constexpr int kLeftShift = 84;  // slot 73, LED 73

class KeyboardLightingTest : public KeyboardDeviceTest {
  protected:
    // Runs a light mode at full brightness and speed, as the lighting panel would.
    void RunMode(int mode) {
        auto light = keyboard->Profile().GetLightInfo();
        light.selectItem = static_cast<uint8_t>(mode);
        light.light = 4;
        light.speed = 4;
        light.multiColor = 0;
        light.red = 255;
        keyboard->Profile().SetLightInfo(light);
        keyboard->ApplyProfileLighting();
    }

    void ExternalColour(int red, int green, int blue) {
        const int values[] = {red, green, blue};
        keyboard->SetLevelInput(values, 3);
    }

    TestKeyButton* LedButton(int key) {
        return dynamic_cast<TestKeyButton*>(paint.FindControl("light_" + std::to_string(key)));
    }

    // The three colour bytes of a key's LED in the keyboard's light-frame memory.
    std::vector<uint8_t> StreamedColour(int key) {
        const size_t at = size_t(keyboard->Locations().led[size_t(key)]) * 3;
        const auto memory = Firmware().Memory(Area::LightFrame);
        return {memory.begin() + long(at), memory.begin() + long(at) + 3};
    }

    // Stores a light list in the selected profile file: record N drives LED N, and
    // only Left Shift's record has a pattern (static red).
    void StoreLeftShiftLayer() {
        keyboard->LoadProfile();
        Json::Value document = keyboard->Profile().Document();
        Json::Value list(Json::arrayValue);
        for (int i = 0; i < kLeftShift; ++i) list.append(Json::nullValue);
        Json::Value record;
        record["LEDREGMode"] = 1;  // static
        record["LEDBrightness"] = 4;
        record["red"] = 200;
        record["green"] = 0;
        record["blue"] = 0;
        list.append(record);
        document["LightList"] = list;
        ASSERT_TRUE(
            keyboard->Profile().SaveDeviceEntry(document, keyboard->Profile().GetProfilePath()));
    }

    // The colour bytes of a key in every streamed light-frame page that holds them.
    std::vector<std::vector<uint8_t>> StreamedColours(int key) {
        const size_t at = size_t(keyboard->Locations().led[size_t(key)]) * 3;
        std::vector<std::vector<uint8_t>> colours;
        for (const auto& frame : Cable().ReceivedFrames()) {
            const size_t length = frame[4];
            const size_t offset = frame[5] | frame[6] << 8;
            if (frame[3] != CMD_LIGHT_FRAME || at < offset || at + 3 > offset + length) continue;
            const auto data = frame.begin() + 8 + long(at - offset);
            colours.emplace_back(data, data + 3);
        }
        return colours;
    }

    size_t LightPages() {
        size_t pages = 0;
        for (const auto& frame : Cable().ReceivedFrames())
            if (frame[3] == CMD_LIGHT_FRAME) ++pages;
        return pages;
    }

    // Runs the light output the way the selector's timer does until done() holds.
    bool RefreshUntil(const std::function<bool()>& done) {
        return PumpUntil([&] {
            keyboard->RefreshLights();
            return done();
        });
    }
};

TEST_F(KeyboardLightingTest, HostDrivenModeStreamsToTheKeyboardAndPaintsOnlyWhileShown) {
    Connect(false);
    RunMode(devices::kLevelMode);
    ExternalColour(10, 200, 30);
    const std::vector<uint8_t> expected = {9, 199, 29};  // x brightness 255 / 256

    // Hidden: the keyboard is still driven, the buttons keep their start-up white.
    keyboard->SetWindowActive(false);
    ASSERT_TRUE(RefreshUntil([&] { return StreamedColour(kLeftShift) == expected; }));
    EXPECT_EQ(StreamedColour(kEsc), expected);
    EXPECT_EQ(LedButton(kLeftShift)->colour, 0xFFFFFFu);

    // Shown: the buttons take the colours too.
    keyboard->SetWindowActive(true);
    keyboard->RefreshLights();
    EXPECT_EQ(LedButton(kLeftShift)->colour, 0x0AC81Eu);  // the colour, with its brightness apart
    EXPECT_EQ(LedButton(kLeftShift)->brightness, 255);
    // Another function page hides the tint.
    keyboard->ShowTip(2);
    keyboard->RefreshLights();
    EXPECT_EQ(LedButton(kLeftShift)->colour, 0u);
    EXPECT_EQ(LedButton(kLeftShift)->brightness, 0);

    // A firmware-run mode streams nothing (a frame under way may still land).
    RunMode(4);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Cable().ClearFrames();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(Received(Cable(), CMD_LIGHT_FRAME));
}

TEST_F(KeyboardLightingTest, FramesAreDroppedWhileTheTransportIsBusyAndResumeAfter) {
    Connect(false);
    RunMode(devices::kLevelMode);
    ExternalColour(1, 2, 3);
    ASSERT_TRUE(PumpUntil([&] { return keyboard->LightFramesSent() > 2; }));
    Cable().InjectFault({.kind = sim::FaultRule::Delay, .command = CMD_READ_INFO, .delayMs = 300});
    std::array<uint8_t, kInfoSize> info{};
    // A frame already under way may finish; none starts while the exchange runs.
    const auto pagesBefore = LightPages();
    keyboard->Commands().ReadInfo(info.data());
    const auto pagesDuring = LightPages() - pagesBefore;
    EXPECT_LE(pagesDuring,
              size_t(keyboard->KeySlotCount() * 3 / keyboard->Commands().ChunkSize() + 1))
        << "frames went out while the configuration exchange waited";

    const uint64_t sent = keyboard->LightFramesSent();
    EXPECT_TRUE(PumpUntil([&] { return keyboard->LightFramesSent() > sent + 2; }));
}

TEST_F(KeyboardLightingTest, KeyPressNotificationLightsTheKeyInKeyFlashMode) {
    Connect(false);
    keyboard->SetWindowActive(true);
    RunMode(7);  // key flash: dark until a key is pressed
    keyboard->RefreshLights();
    EXPECT_EQ(LedButton(kLeftShift)->brightness, 0);

    DebugCapture capture;
    Cable().SendNotification(uint16_t(0x0500 + keyboard->Locations().slot[kLeftShift]));
    ASSERT_TRUE(PumpUntil([&] {
        keyboard->RefreshLights();
        return LedButton(kLeftShift)->brightness > 0;
    }));
    EXPECT_EQ(LedButton(kEsc)->brightness, 0) << "only the pressed key flashes";
    // A key press is not a settings change: nothing is read again.
    EXPECT_EQ(keyboard->LastSyncCode(), 0);
    // Every report is announced, key presses included, and the reader says when it ends.
    EXPECT_TRUE(capture.Contains("接收到自动添加设备的同步信息要求  TEST"));
    keyboard->CloseNotificationChannel(false);
    EXPECT_TRUE(capture.Contains("MS 设备同步线程设定退出"));
}

TEST_F(KeyboardLightingTest, ProfileLightListPaintsOverEveryModeAndReachesTheWire) {
    StoreLeftShiftLayer();
    // Connecting loads the profile's layer with the rest of its lighting.
    // The page in view: the thread steps its picture (unseen, a firmware mode sleeps).
    keyboard->SetWindowActive(true);
    Connect(false);
    const devices::LedColour red = {200, 0, 0, 255};
    ASSERT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kLeftShift) == red; }));

    RunMode(20);  // off: only the layer lights anything
    ASSERT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kLeftShift) == red; }));
    EXPECT_EQ(keyboard->GetLedColour(kEsc), devices::LedColour{});

    // Streamed, the layer is what the keyboard shows, in every frame: the level mode
    // repaints every LED each 10 ms, more often than the layer's own ticks.
    RunMode(devices::kLevelMode);
    ExternalColour(0, 0, 90);
    EXPECT_TRUE(PumpUntil([&] {
        return StreamedColour(kLeftShift) == std::vector<uint8_t>{199, 0, 0} &&
               StreamedColour(kEsc) == std::vector<uint8_t>{0, 0, 89};
    }));
    Cable().ClearFrames();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto frames = StreamedColours(kLeftShift);
    EXPECT_GE(frames.size(), 30u);
    const auto wrong = std::count_if(frames.begin(), frames.end(), [](const auto& colour) {
        return colour != std::vector<uint8_t>{199, 0, 0};
    });
    EXPECT_EQ(wrong, 0) << "of " << frames.size() << " frames";

    // Mode 28 without a step program turns the rest dark; the layer stays on top.
    RunMode(4);
    ASSERT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kEsc).brightness > 0; }));
    RunMode(28);
    EXPECT_TRUE(PumpUntil([&] {
        return keyboard->GetLedColour(kEsc) == devices::LedColour{} &&
               keyboard->GetLedColour(kLeftShift) == red;
    }));
}

TEST_F(KeyboardLightingTest, MusicModeStreamsBarsOfTheMusicInputInTheAudioStylesColours) {
    Connect(false);
    // Style 0 on a black base, white peaks: the audio light styles' two colour words.
    keyboard->SetAudioLightWords({0, 0xFFFFFF, 0});
    RunMode(lighting::kMusicMode);
    // The page's colour panel shows the light's red, which is no music style.
    keyboard->RefreshPage();
    const std::vector<int> loud(lighting::kMusicValueCount, 2000);
    // Full volume: every column lit from row 1 down; Esc sits in row 0.
    EXPECT_TRUE(PumpUntil([&] {
        keyboard->SetMusicInput(loud.data(), int(loud.size()));
        return StreamedColour(kLeftShift) == std::vector<uint8_t>{253, 253, 253};
    }));
    EXPECT_EQ(StreamedColour(kEsc), (std::vector<uint8_t>{0, 0, 0}));
}

TEST_F(KeyboardLightingTest, PresetColourModeShowsTheProfilesPreset) {
    // The page in view: the thread steps its picture (unseen, a firmware mode sleeps).
    keyboard->SetWindowActive(true);
    Connect(false);
    auto light = keyboard->Profile().GetLightInfo();
    light.selectItem = 17;
    light.light = 4;
    light.zzccLedMode = 2;  // the third preset
    keyboard->Profile().SetLightInfo(light);
    keyboard->ApplyProfileLighting();
    const lighting::Rgb preset = lighting::Spectrum(70);
    const devices::LedColour expected = {preset.red, preset.green, preset.blue, 255};
    EXPECT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kEsc) == expected; }));
}

TEST_F(KeyboardLightingTest, LightingThreadRunsWhileConnectedAndStopsWithinItsBound) {
    // The page in view: the thread steps its picture (unseen, a firmware mode sleeps).
    keyboard->SetWindowActive(true);
    Connect(false);
    RunMode(1);
    ASSERT_TRUE(keyboard->LightingThreadRunning());
    // The thread steps the column wave: the colour list moves without the UI thread.
    const auto first = keyboard->GetLedColour(kEsc);
    ASSERT_TRUE(PumpUntil([&] { return keyboard->GetLedColour(kEsc) != first; }));

    DebugCapture capture;
    const auto start = std::chrono::steady_clock::now();
    keyboard->StopLightingThread();
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(CQuorvaneKeyboardDevice::kLightingStopMs));
    EXPECT_FALSE(keyboard->LightingThreadRunning());
    EXPECT_TRUE(capture.Contains("KB灯光线程设定退出"));
}

}  // namespace
}  // namespace vivori::testing
