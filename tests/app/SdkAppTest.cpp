// Other lighting programs against the application on the simulated bus: a client on a
// real socket lists the attached devices and drives them, and the tests look at what
// the simulated devices received and what the profile holds.
#include <algorithm>

#include "AppFixture.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "devices/CVendorBlockDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "devices/MouseSettingsBlock.h"
#include "panels/CLightControlUI.h"
#include "profiles/SdkSetting.h"
#include "sdk/SdkProtocol.h"
#include "sdk/SdkTestClient.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

using devices::CQuorvaneUSBDevice;

class SdkAppTest : public AppTest {
  protected:
    void StartWithAllDevices() {
        makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(bus); };
        queueDeviceWrites = true;  // as the program runs: writes on each device's thread
        Start();
        keyboardSim = Plug("keyboard");
        mouseSim = Plug("mouse");
        padSim = Plug("pad");
        headsetSim = Plug("headset");
        ASSERT_TRUE(PumpUntil([&] {
            return Of<devices::CQuorvaneKeyboardDevice>() &&
                   Of<devices::CQuorvaneKeyboardDevice>()->KeySlotCount() > 0 &&
                   Open<devices::CQuorvaneMouseDevice>() &&
                   Open<devices::CQuorvaneMousePadDevice>() &&
                   Open<devices::CQuorvaneRI6533Device>();
        }));
        ASSERT_TRUE(Window().SetSdkServer(sdk::ServerOptions{.port = 0}));
        client = std::make_unique<SdkTestClient>(Window().Sdk()->Port());
        ASSERT_TRUE(client->Connected());
        ASSERT_EQ(client->Negotiate(sdk::kHighestVersion), sdk::kHighestVersion);
        ASSERT_TRUE(PumpUntil([&] { return Window().Sdk()->ClientCount() == 1; }));
        for (uint32_t i = 0; i < 4; ++i) {
            auto c = client->Controller(i, sdk::kHighestVersion);
            ASSERT_TRUE(c && c->complete) << i;
            controllers.push_back(*c);
        }
    }
    template <typename T>
    T* Of() {
        for (CQuorvaneUSBDevice* d : Window().Devices()->Devices())
            if (auto* device = dynamic_cast<T*>(d)) return device;
        return nullptr;
    }
    template <typename T>
    bool Open() {
        return Of<T>() && Of<T>()->Commands().IsOpen();
    }
    devices::CQuorvaneKeyboardDevice* Kb() { return Of<devices::CQuorvaneKeyboardDevice>(); }
    uint32_t IndexOf(int32_t type) {
        for (size_t i = 0; i < controllers.size(); ++i)
            if (controllers[i].type == type) return uint32_t(i);
        ADD_FAILURE() << "no controller of type " << type;
        return 0;
    }
    bool ControlShown() {
        ui::CControlUI* label = Find("sdk_control_status");
        return label != nullptr && label->IsVisible();
    }
    // Colours every LED of a controller differently: 0x00BBGGRR.
    static std::vector<uint32_t> Distinct(size_t count, uint32_t seed) {
        std::vector<uint32_t> colours;
        for (size_t i = 0; i < count; ++i)
            colours.push_back(uint32_t((i * 7 + seed) & 0xFF) | uint32_t((200 - i) & 0xFF) << 8 |
                              uint32_t((i * 3 + 40) & 0xFF) << 16);
        return colours;
    }
    // The keyboard's LED area as the frames left it: each key's colour at its LED,
    // scaled as every frame is (full brightness is 255/256).
    bool KeyboardShows(const ReadController& c, const std::vector<uint32_t>& colours) {
        const auto memory = sim::FirmwareOf(keyboardSim)->Memory(sim::Area::LightFrame);
        for (size_t i = 0; i < c.ledValues.size(); ++i) {
            const uint8_t led = Kb()->Locations().led[c.ledValues[i]];
            for (int channel = 0; channel < 3; ++channel) {
                const uint8_t sent = uint8_t(colours[i] >> (8 * channel));
                if (memory[size_t(led) * 3 + size_t(channel)] != uint8_t(sent * 255 / 256))
                    return false;
            }
        }
        return true;
    }
    bool LastModeWritten(const sim::SimDevice& device, int mode) {
        return PumpUntil([&] {
            const auto modes = ModesWritten(device);
            return !modes.empty() && modes.back() == mode;
        });
    }
    void ChooseModeOnPage(CQuorvaneUSBDevice* device, int mode) {
        Window().ShowSelectorEntry(device->SelectorValue(), true, true);
        ui::CControlUI* combo = device->LightPanel()->Child("light_combo_modeSelect");
        static_cast<ui::CComboUI*>(combo)->SelectItem(mode, false, false);
        Window().PaintManager().SendNotify(combo, ui::kNotifyItemSelect);
    }

    std::shared_ptr<sim::SimDevice> keyboardSim, mouseSim, padSim, headsetSim;
    std::unique_ptr<SdkTestClient> client;
    std::vector<ReadController> controllers;
};

TEST_F(SdkAppTest, EveryAttachedDeviceIsAControllerOfItsTypeWithItsLeds) {
    ASSERT_NO_FATAL_FAILURE(StartWithAllDevices());
    std::vector<int32_t> types;
    for (const auto& c : controllers) types.push_back(c.type);
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<int32_t>{sdk::kTypeKeyboard, sdk::kTypeMouse, sdk::kTypeMouseMat,
                                           sdk::kTypeHeadset}));

    // The keyboard: one LED per key it has, named by the key, on a matrix of the key grid
    // that names every LED at most once.
    const ReadController& kb = controllers[IndexOf(sdk::kTypeKeyboard)];
    size_t keysWithLeds = 0;
    for (uint8_t led : Kb()->Locations().led) keysWithLeds += led != devices::kNoSlot;
    EXPECT_EQ(kb.ledNames.size(), keysWithLeds);
    ASSERT_EQ(kb.zones.size(), 1u);
    EXPECT_EQ(kb.zones[0].type, sdk::kZoneMatrix);
    EXPECT_EQ(kb.zones[0].ledCount, keysWithLeds);
    EXPECT_EQ(kb.zones[0].rows * kb.zones[0].columns, kb.zones[0].matrix.size());
    std::vector<uint32_t> inMatrix;
    for (uint32_t v : kb.zones[0].matrix)
        if (v != sdk::kNoLed) inMatrix.push_back(v);
    std::sort(inMatrix.begin(), inMatrix.end());
    EXPECT_TRUE(std::adjacent_find(inMatrix.begin(), inMatrix.end()) == inMatrix.end());
    EXPECT_GT(inMatrix.size(), 60u);
    EXPECT_NE(std::find(kb.ledNames.begin(), kb.ledNames.end(), "Key: A"), kb.ledNames.end());
    EXPECT_NE(std::find(kb.ledNames.begin(), kb.ledNames.end(), "Key: LShift"), kb.ledNames.end());
    // Direct first, then the keyboard's own effects (none of those that need our input).
    EXPECT_EQ(kb.modeNames.front(), "Direct");
    EXPECT_NE(std::find(kb.modeNames.begin(), kb.modeNames.end(), "Ripple"), kb.modeNames.end());
    EXPECT_EQ(std::find(kb.modeNames.begin(), kb.modeNames.end(), "Music"), kb.modeNames.end());

    const ReadController& mouse = controllers[IndexOf(sdk::kTypeMouse)];
    EXPECT_EQ(mouse.ledNames.size(), 15u);
    EXPECT_EQ(mouse.zones.size(), 7u);
    EXPECT_EQ(controllers[IndexOf(sdk::kTypeMouseMat)].ledNames.size(), 14u);
    EXPECT_EQ(controllers[IndexOf(sdk::kTypeHeadset)].ledNames.size(),
              size_t(devices::kHeadsetLedCount));
}

TEST_F(SdkAppTest, DirectColoursReachTheKeyboardKeyByKeyAndTheProfileComesBackWhenTheClientLeaves) {
    ASSERT_NO_FATAL_FAILURE(StartWithAllDevices());
    const uint32_t index = IndexOf(sdk::kTypeKeyboard);
    const ReadController& kb = controllers[index];
    const uint8_t profileMode = Kb()->Light().mode;
    EXPECT_FALSE(ControlShown());
    // Colours alone, while the keyboard runs its own effect, wait for Direct mode.
    client->Send(index, sdk::kUpdateLeds,
                 SdkTestClient::LedsPayload(Distinct(kb.ledNames.size(), 3)));
    ASSERT_TRUE(client->Count());
    PumpFor(300);
    EXPECT_FALSE(ControlShown());
    EXPECT_FALSE(Kb()->HostColoursOn());

    client->Send(index, sdk::kSetCustomMode);
    const auto colours = Distinct(kb.ledNames.size(), 11);
    client->Send(index, sdk::kUpdateLeds, SdkTestClient::LedsPayload(colours));
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShows(kb, colours); }));
    // The keyboard runs the mode that shows streamed frames; the page shows what it shows.
    EXPECT_TRUE(LastModeWritten(*keyboardSim, devices::kHostDrivenModeCode));
    for (size_t i = 0; i < kb.ledValues.size(); ++i) {
        const devices::LedColour shown = Kb()->GetLedColour(int(kb.ledValues[i]));
        EXPECT_EQ(shown.red, uint8_t(colours[i])) << kb.ledNames[i];
        EXPECT_EQ(shown.blue, uint8_t(colours[i] >> 16)) << kb.ledNames[i];
    }
    EXPECT_TRUE(ControlShown());
    Window().ShowSelectorEntry(Kb()->SelectorValue(), true, true);
    Window().SetWindowActive(true);
    PumpFor(100);
    EXPECT_TRUE(ui::SaveWindowPng(Window().PaintManager(), VIVORI_SCREENSHOT_DIR "/sdk-direct.png"));

    // One key, then one colour more a frame later: the stream follows.
    std::vector<uint8_t> single;
    SdkTestClient::Put32(single, 5);
    SdkTestClient::Put32(single, 0x00030201);
    client->Send(index, sdk::kUpdateSingleLed, single);
    auto changed = colours;
    changed[5] = 0x00030201;
    ASSERT_TRUE(PumpUntil([&] { return KeyboardShows(kb, changed); }));

    client->Close();
    ASSERT_TRUE(PumpUntil([&] { return !ControlShown(); }));
    EXPECT_EQ(Kb()->Light().mode, profileMode);
    EXPECT_TRUE(LastModeWritten(*keyboardSim, Kb()->ModeMap()[profileMode]));
    EXPECT_FALSE(Kb()->HostColoursOn());
}

TEST_F(SdkAppTest, MouseAndPadShowTheClientsColourAndTheHeadsetTakesItLedByLed) {
    ASSERT_NO_FATAL_FAILURE(StartWithAllDevices());
    for (int32_t type : {sdk::kTypeMouse, sdk::kTypeMouseMat, sdk::kTypeHeadset}) {
        const uint32_t index = IndexOf(type);
        client->Send(index, sdk::kSetCustomMode);
        client->Send(index, sdk::kUpdateLeds,
                     SdkTestClient::LedsPayload(Distinct(controllers[index].ledNames.size(), 90)));
    }
    // Mouse and pad: their static mode in the first LED's colour (0x5A, 200, 40).
    auto* mouse = Of<devices::CQuorvaneMouseDevice>();
    ASSERT_TRUE(PumpUntil([&] {
        const auto params = sim::FirmwareOf(mouseSim)->Memory(sim::Area::Params);
        return params[devices::mouse_byte::kRed] == 0x5A &&
               params[devices::mouse_byte::kGreen] == 200 &&
               params[devices::mouse_byte::kBlue] == 40 &&
               params[devices::mouse_byte::kMode] == mouse->ModeMap()[lighting::kMouseStatic];
    }));
    auto* pad = Of<devices::CQuorvaneMousePadDevice>();
    ASSERT_TRUE(PumpUntil([&] {
        const auto params = sim::FirmwareOf(padSim)->Memory(sim::Area::Params);
        return params[devices::vendor_byte::kRed] == 0x5A &&
               params[devices::vendor_byte::kGreen] == 200 &&
               params[devices::vendor_byte::kBlue] == 40 &&
               params[devices::vendor_byte::kMode] == pad->ModeMap()[3];
    }));
    // The headset: its LED reports carry every LED's own colour.
    auto* headset = Of<devices::CQuorvaneRI6533Device>();
    const auto sent = Distinct(size_t(devices::kHeadsetLedCount), 90);
    std::vector<devices::LedColour> expected;
    for (uint32_t c : sent)
        expected.push_back({uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 255});
    const auto reports = devices::BuildLedReports(expected);
    ASSERT_TRUE(PumpUntil([&] {
        const auto out = headsetSim->OutputReports();
        if (out.size() < reports.size()) return false;
        for (size_t i = 0; i < reports.size(); ++i) {
            const auto& got = out[out.size() - reports.size() + i];
            if (!std::equal(reports[i].begin(), reports[i].end(), got.begin())) return false;
        }
        return true;
    }));
    // The profile files are untouched: the colours are the client's, not the user's.
    EXPECT_NE(mouse->Profile().GetLightInfo().red, 0x5A);
    (void)headset;
}

TEST_F(SdkAppTest, ASavedModeIsTheProfilesAndAnEffectChosenOnThePageWins) {
    ASSERT_NO_FATAL_FAILURE(StartWithAllDevices());
    const uint32_t index = IndexOf(sdk::kTypeKeyboard);
    const ReadController& kb = controllers[index];
    const auto staticAt = std::find(kb.modeNames.begin(), kb.modeNames.end(), "Static");
    ASSERT_NE(staticAt, kb.modeNames.end());
    const int32_t staticIndex = int32_t(staticAt - kb.modeNames.begin());
    sdk::Mode still;
    still.name = "Static";
    still.brightness = 2;
    still.colourMode = sdk::kColourModeSpecific;
    still.colours = {{0x10, 0x20, 0x30}};
    std::vector<uint8_t> block;
    sdk::EncodeMode(block, still, sdk::kHighestVersion);
    std::vector<uint8_t> payload;
    SdkTestClient::Put32(payload, uint32_t(8 + block.size()));
    SdkTestClient::Put32(payload, uint32_t(staticIndex));
    payload.insert(payload.end(), block.begin(), block.end());
    client->Send(index, sdk::kSaveMode, payload);
    ASSERT_TRUE(PumpUntil([&] {
        const auto info = Kb()->Profile().GetLightInfo();
        return info.red == 0x10 && info.green == 0x20 && info.blue == 0x30;
    }));
    EXPECT_EQ(Kb()->Light().mode, 6);  // the keyboard's static mode
    EXPECT_EQ(Kb()->Light().brightness, 2);
    EXPECT_TRUE(LastModeWritten(*keyboardSim, Kb()->ModeMap()[6]));

    // Direct again; then the user picks an effect on the page: it stays, and colours
    // from the client no longer reach the keyboard until it picks a mode again.
    client->Send(index, sdk::kSetCustomMode);
    client->Send(index, sdk::kUpdateLeds,
                 SdkTestClient::LedsPayload(Distinct(kb.ledNames.size(), 1)));
    ASSERT_TRUE(PumpUntil([&] { return Kb()->HostColoursOn() && ControlShown(); }));
    ChooseModeOnPage(Kb(), 15);
    EXPECT_FALSE(Kb()->HostColoursOn());
    EXPECT_FALSE(ControlShown());
    client->Send(index, sdk::kUpdateLeds,
                 SdkTestClient::LedsPayload(Distinct(kb.ledNames.size(), 2)));
    PumpFor(300);
    EXPECT_FALSE(Kb()->HostColoursOn());
    EXPECT_EQ(Kb()->Light().mode, 15);
    EXPECT_TRUE(LastModeWritten(*keyboardSim, Kb()->ModeMap()[15]));
}

TEST_F(SdkAppTest, ClientsHearOfAnUnpluggedDeviceAndTheListShrinks) {
    ASSERT_NO_FATAL_FAILURE(StartWithAllDevices());
    bus->Unplug(mouseSim);
    bool noticed = false;
    ASSERT_TRUE(PumpUntil([&] {
        // The notice comes from the server's thread; the list from the window's.
        if (auto p = client->Receive(10); p && p->id == sdk::kDeviceListUpdated) noticed = true;
        return noticed;
    }));
    EXPECT_EQ(client->Count(), 3u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_NE(client->Controller(i, 4)->type, sdk::kTypeMouse);
}

// A port nobody listens on now.
uint16_t FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

TEST_F(SdkAppTest, TheSettingsWindowTurnsTheServerOnAtItsPortAndItStaysOnForTheNextStart) {
    Start();
    EXPECT_EQ(Window().Sdk(), nullptr);  // off by default
    Window().PaintManager().SendNotify(Find("setbtn"), ui::kNotifyClick);
    const ui::HWND settings = Window().ChildWindow(0);
    ui::CPaintManagerUI* manager = nullptr;
    for (ui::CPaintManagerUI* m : ui::CPaintManagerUI::AllManagers())
        if (m->GetPaintWindow() == settings) manager = m;
    ASSERT_NE(manager, nullptr);
    ui::CControlUI* port = manager->FindControl("sdk_port_edit");
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->GetText(), "6742");
    EXPECT_EQ(manager->FindControl("sdk_address_edit")->GetText(), "127.0.0.1");
    const uint16_t chosen = FreePort();
    port->SetText(std::to_string(chosen));
    manager->SendNotify(port, ui::kNotifyReturn);
    auto* check = dynamic_cast<ui::COptionUI*>(manager->FindControl("sdk_allow_check"));
    ASSERT_NE(check, nullptr);
    check->Selected(true);
    ASSERT_NE(Window().Sdk(), nullptr);
    EXPECT_EQ(Window().Sdk()->Port(), chosen);
    EXPECT_TRUE(ui::SaveWindowPng(*manager, VIVORI_SCREENSHOT_DIR "/sdk-settings.png"));
    SdkTestClient connected(chosen);
    EXPECT_EQ(connected.Count(), 0u);  // no device attached

    // A port that is not one is put back.
    port->SetText("70000");
    manager->SendNotify(port, ui::kNotifyKillFocus);
    EXPECT_EQ(port->GetText(), std::to_string(chosen));

    // A port another program holds is refused with the reason, not only "unavailable".
    const int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in held{};
    held.sin_family = AF_INET;
    held.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&held), sizeof held), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    socklen_t heldLength = sizeof held;
    getsockname(holder, reinterpret_cast<sockaddr*>(&held), &heldLength);
    const std::string busy = std::to_string(ntohs(held.sin_port));
    shownMessages.clear();
    port->SetText(busy);
    manager->SendNotify(port, ui::kNotifyReturn);
    close(holder);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_NE(shownMessages[0].find("port " + busy + ": "), std::string::npos) << shownMessages[0];
    EXPECT_EQ(Window().Sdk(), nullptr);
    port->SetText(std::to_string(chosen));
    manager->SendNotify(port, ui::kNotifyReturn);
    ASSERT_NE(Window().Sdk(), nullptr);

    // The next start listens by itself.
    application.reset();
    Start();
    ASSERT_NE(Window().Sdk(), nullptr);
    EXPECT_EQ(Window().Sdk()->Port(), chosen);
    EXPECT_EQ(profiles::ReadSdkServerSetting(profiles::DataFolders::FromEnvironment()),
              (profiles::SdkServerSetting{true, "127.0.0.1", chosen}));
}

}  // namespace
}  // namespace vivori::testing
