// The lighting-client server on real sockets, with a controller list of its own:
// version negotiation, framing, and what happens to clients that misbehave.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Debug.h"
#include "sdk/SdkServer.h"
#include "sdk/SdkSession.h"
#include "sdk/SdkTestClient.h"

namespace vivori::testing {
namespace {

using namespace vivori::sdk;

class RecordingActions : public SdkActions {
  public:
    void ControllerChanged(const ControllerChange& change) override {
        std::lock_guard lock(mutex_);
        changes_.push_back(change);
    }
    void ClientsChanged(int count) override {
        std::lock_guard lock(mutex_);
        clients_ = count;
    }
    std::vector<ControllerChange> Changes() {
        std::lock_guard lock(mutex_);
        return changes_;
    }
    int Clients() {
        std::lock_guard lock(mutex_);
        return clients_;
    }

  private:
    std::mutex mutex_;
    std::vector<ControllerChange> changes_;
    int clients_ = 0;
};

Controller SampleController(uint64_t key, size_t leds) {
    Controller c;
    c.key = key;
    c.type = kTypeMouseMat;
    c.name = "pad " + std::to_string(key);
    Mode direct;
    direct.name = "Direct";
    direct.value = -1;
    direct.flags = kHasPerLedColour;
    direct.colourMode = kColourPerLed;
    Mode wave;
    wave.name = "Wave";
    wave.value = 0;
    wave.flags = kHasSpeed | kHasBrightness | kHasDirectionLR | kHasModeSpecificColour;
    wave.speedMax = wave.brightnessMax = 4;
    wave.coloursMin = wave.coloursMax = 1;
    wave.colours = {{255, 0, 0}};
    wave.colourMode = kColourModeSpecific;
    Mode still = wave;
    still.name = "Static";
    still.value = 3;
    still.flags = kHasBrightness | kHasModeSpecificColour | kManualSave;
    c.modes = {direct, wave, still};
    c.zones = {{"Edge", kZoneLinear, uint32_t(leds - 2), 0, 0, {}},
               {"Logo", kZoneLinear, 2, 0, 0, {}}};
    for (size_t i = 0; i < leds; ++i) c.leds.push_back({"LED " + std::to_string(i), uint32_t(i)});
    c.colours.resize(leds);
    return c;
}

std::vector<uint8_t> ModePayload(int32_t index, uint32_t speed, uint32_t brightness,
                                 uint32_t direction, uint32_t colour, uint32_t version) {
    Mode m;
    m.name = "x";
    m.speed = speed;
    m.brightness = brightness;
    m.direction = direction;
    m.colourMode = kColourModeSpecific;
    m.colours = {UnpackColour(colour)};
    std::vector<uint8_t> block;
    EncodeMode(block, m, version);
    std::vector<uint8_t> out;
    SdkTestClient::Put32(out, uint32_t(8 + block.size()));
    SdkTestClient::Put32(out, uint32_t(index));
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

class SdkServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registry.SetControllers({SampleController(1, 14), SampleController(2, 6)});
    }
    void StartServer(ServerOptions options = {}) {
        options.port = 0;
        ASSERT_TRUE(server.Start(options));
    }
    std::unique_ptr<SdkTestClient> Connect() {
        auto client = std::make_unique<SdkTestClient>(server.Port());
        EXPECT_TRUE(client->Connected());
        return client;
    }

    SdkRegistry registry;
    RecordingActions actions;
    SdkServer server{registry, &actions};
};

TEST_F(SdkServerTest, ClientsSpeakTheVersionTheyAskForAndGetBlocksLaidOutForIt) {
    StartServer();
    auto client = Connect();
    // A client newer than the server is answered with the server's highest version.
    EXPECT_EQ(client->Negotiate(9), kHighestVersion);
    for (uint32_t version = 0; version <= kHighestVersion; ++version) {
        std::vector<uint8_t> asked;
        SdkTestClient::Put32(asked, version);
        client->Send(1, kRequestControllerData, asked);
        auto reply = client->ReceiveId(kRequestControllerData);
        ASSERT_TRUE(reply) << version;
        EXPECT_EQ(reply->device, 1u);
        const ReadController c = ReadControllerBlock(reply->payload, version);
        EXPECT_TRUE(c.complete) << "version " << version;
        EXPECT_EQ(c.name, "pad 2");
        EXPECT_EQ(c.ledNames.size(), 6u);
        EXPECT_EQ(c.modeNames, (std::vector<std::string>{"Direct", "Wave", "Static"}));
    }
    // An older client keeps its own version for the mode blocks it sends.
    EXPECT_EQ(client->Negotiate(1), 1u);
    client->Send(0, kUpdateMode, ModePayload(1, 3, 0, kLeft, 0x0000FF00, 1));
    ASSERT_TRUE(client->Count());  // the update is handled before the count is answered
    ASSERT_EQ(actions.Changes().size(), 1u);
    EXPECT_EQ(actions.Changes()[0].mode.speed, 3u);
    EXPECT_EQ(actions.Changes()[0].mode.colours[0], (Colour{0, 0xFF, 0}));
}

TEST_F(SdkServerTest, PacketsThatArriveInPiecesAreAnsweredWhole) {
    StartServer();
    auto client = Connect();
    const std::vector<uint8_t> request = SdkTestClient::Packet(0, kRequestControllerCount);
    for (uint8_t byte : request) {
        client->SendRaw({byte});
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    auto reply = client->ReceiveId(kRequestControllerCount);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->payload, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST_F(SdkServerTest, AWrongMagicOrAnOversizedPacketEndsOnlyThatClient) {
    StartServer();
    DebugCapture debug;
    auto good = Connect();
    auto wrongMagic = Connect();
    auto oversized = Connect();
    std::vector<uint8_t> bad = SdkTestClient::Packet(0, kRequestControllerCount);
    bad[0] = 'X';
    wrongMagic->SendRaw(bad);
    // Refused from its header alone: the server does not wait for a 2 MiB payload.
    std::vector<uint8_t> huge = SdkTestClient::Packet(0, kUpdateLeds);
    const uint32_t size = 2u << 20;
    std::memcpy(huge.data() + 12, &size, 4);
    oversized->SendRaw(huge);
    EXPECT_TRUE(wrongMagic->Closed());
    EXPECT_TRUE(oversized->Closed());
    EXPECT_EQ(good->Count(), 2u);
    EXPECT_TRUE(debug.Contains("wrong magic"));
    EXPECT_TRUE(debug.Contains("packet over 1 MiB"));
}

TEST_F(SdkServerTest, WrongLengthsAndMissingDevicesAreDroppedAndTheClientStays) {
    StartServer();
    DebugCapture debug;
    auto client = Connect();
    // 13 colours for 14 LEDs; a payload whose own size disagrees with the packet's; a
    // device that does not exist; a zone that does not exist; an LED past the end.
    client->Send(0, kUpdateLeds, SdkTestClient::LedsPayload(std::vector<uint32_t>(13, 0xFF)));
    std::vector<uint8_t> lying = SdkTestClient::LedsPayload(std::vector<uint32_t>(14, 0xFF));
    lying[0] += 4;
    client->Send(0, kUpdateLeds, lying);
    client->Send(7, kUpdateLeds, SdkTestClient::LedsPayload(std::vector<uint32_t>(14, 0xFF)));
    client->Send(0, kUpdateZoneLeds, SdkTestClient::LedsPayload({1, 2}, 5));
    std::vector<uint8_t> single;
    SdkTestClient::Put32(single, 14);
    SdkTestClient::Put32(single, 0xFF);
    client->Send(0, kUpdateSingleLed, single);
    client->Send(7, kRequestControllerData);
    client->Send(0, kUpdateMode, ModePayload(9, 0, 0, 0, 0, 0));
    EXPECT_EQ(client->Count(), 2u);  // still served, and nothing else came back
    EXPECT_TRUE(actions.Changes().empty());
    EXPECT_TRUE(debug.Contains("wrong length"));
    EXPECT_TRUE(debug.Contains("colour count does not match"));
    EXPECT_TRUE(debug.Contains("device index out of range"));
    EXPECT_TRUE(debug.Contains("no such LED or zone"));
    EXPECT_TRUE(debug.Contains("no such mode"));
    // The zone update that fits lands on that zone's LEDs only.
    client->Send(0, kUpdateZoneLeds, SdkTestClient::LedsPayload({0x0000FF, 0x00FF00}, 1));
    ASSERT_TRUE(client->Count());
    ASSERT_EQ(actions.Changes().size(), 1u);
    const std::vector<Colour> colours = actions.Changes()[0].colours;
    EXPECT_EQ(colours[11], Colour{});
    EXPECT_EQ(colours[12], (Colour{0xFF, 0, 0}));
    EXPECT_EQ(colours[13], (Colour{0, 0xFF, 0}));
}

TEST_F(SdkServerTest, AClientThatStopsInTheMiddleOfAPacketHoldsUpNobodyAndIsDropped) {
    ServerOptions options;
    options.partialPacketMs = 300;
    StartServer(options);
    DebugCapture debug;
    auto stalled = Connect();
    auto other = Connect();
    std::vector<uint8_t> half =
        SdkTestClient::Packet(0, kUpdateLeds, SdkTestClient::LedsPayload({1, 2, 3}));
    half.resize(half.size() / 2);
    stalled->SendRaw(half);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(other->Count(), 2u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(stalled->Closed(2000));
    EXPECT_TRUE(debug.Contains("stopped in the middle of a packet"));
    EXPECT_EQ(other->Count(), 2u);
}

TEST_F(SdkServerTest, TheSeventeenthClientIsTurnedAwayAndALeavingOneMakesRoom) {
    StartServer();
    std::vector<std::unique_ptr<SdkTestClient>> clients;
    for (int i = 0; i < 16; ++i) {
        clients.push_back(Connect());
        ASSERT_EQ(clients.back()->Count(), 2u) << i;
    }
    auto extra = Connect();
    EXPECT_TRUE(extra->Closed());
    EXPECT_EQ(actions.Clients(), 16);
    clients.front()->Close();
    for (int i = 0; i < 100 && server.ClientCount() != 15; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto late = Connect();
    EXPECT_EQ(late->Count(), 2u);
}

TEST_F(SdkServerTest, EveryClientHearsThatTheDeviceListChanged) {
    StartServer();
    auto a = Connect();
    auto b = Connect();
    ASSERT_EQ(a->Count(), 2u);
    ASSERT_EQ(b->Count(), 2u);
    registry.SetControllers({SampleController(2, 6)});
    server.NotifyDeviceListUpdated();
    for (auto* client : {a.get(), b.get()}) {
        auto notice = client->Receive();
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->id, uint32_t(kDeviceListUpdated));
        EXPECT_TRUE(notice->payload.empty());
        EXPECT_EQ(client->Count(), 1u);
    }
}

// Without sockets: what a mode change may set, and which controllers keep their state.
TEST(SdkRegistryTest, ModeValuesAreKeptToTheModesOwnRangesAndSavedOnlyWhereItCan) {
    SdkRegistry registry;
    registry.SetControllers({SampleController(1, 14)});
    SdkRegistry::Refusal refusal{};
    ModeUpdate wave;
    wave.index = 1;
    wave.mode.speed = 99;
    wave.mode.brightness = 2;
    wave.mode.direction = kUp;  // a wave takes left and right only
    wave.mode.colourMode = kColourModeSpecific;
    wave.mode.colours = {{1, 2, 3}, {4, 5, 6}};  // one colour only
    auto change = registry.SetMode(0, wave, true, refusal);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->mode.speed, 4u);
    EXPECT_EQ(change->mode.brightness, 2u);
    EXPECT_EQ(change->mode.direction, uint32_t(kLeft));
    EXPECT_EQ(change->mode.colours, (std::vector<Colour>{{255, 0, 0}}));
    EXPECT_FALSE(change->save);  // the wave is not one the device keeps
    ModeUpdate still;
    still.index = 2;
    still.mode.speed = 3;
    still.mode.colourMode = kColourModeSpecific;
    still.mode.colours = {{9, 8, 7}};
    change = registry.SetMode(0, still, true, refusal);
    ASSERT_TRUE(change);
    EXPECT_TRUE(change->save);
    EXPECT_EQ(change->mode.speed, 0u);  // the static mode has no speed
    EXPECT_EQ(change->mode.colours, (std::vector<Colour>{{9, 8, 7}}));
    // A list change keeps what clients set on a controller that stays.
    registry.SetControllers({SampleController(3, 4), SampleController(1, 14)});
    const auto controllers = registry.Controllers();
    EXPECT_EQ(controllers[1].activeMode, 2);
    EXPECT_EQ(controllers[1].modes[2].colours, (std::vector<Colour>{{9, 8, 7}}));
    EXPECT_EQ(controllers[0].activeMode, 0);
}

}  // namespace
}  // namespace vivori::testing
