// The key-reactive layer and the wave effects: key presses, the fronts the wave
// masks carry across the key grid, and the fades that follow.
#include <set>

#include "EngineFixture.h"
#include "KeyIndexes.h"
#include "lighting/ColumnRing.h"

namespace vivori::testing {
namespace {

using lighting::KeyAction;

constexpr uint8_t kFaded = 215;  // 255 after one fade of the wave kinds

std::set<int> KeysAt(const LightEngine& engine, int level) {
    std::set<int> keys;
    for (int k = 0; k < lighting::kKeyCount; ++k)
        if (engine.KeyLevel(k) == level) keys.insert(k);
    return keys;
}

TEST(KeyReactive, FlashRisesWhileHeldAndFallsAfterRelease) {
    LightEngine engine;
    engine.Start(SettingsFor(7, false));
    engine.OnKeyEvent(30, KeyAction::Press);
    Steps(engine, 3);
    EXPECT_EQ(engine.Colours()[30], (LedColour{255, 0, 0, 254}));
    engine.OnKeyEvent(30, KeyAction::Release);
    Steps(engine, 2);
    EXPECT_EQ(engine.KeyLevel(30), 245);
    EXPECT_EQ(engine.Colours()[30], (LedColour{255, 0, 0, 244}));
    EXPECT_EQ(engine.Colours()[31], (LedColour{255, 0, 0, 0}));
}

TEST(KeyReactive, KeyWavesSpreadFromThePressedKeyInFourDirections) {
    LightEngine engine;
    engine.Start(SettingsFor(8, false));
    engine.OnKeyEvent(50, KeyAction::Press);  // column 9, row 2
    Steps(engine, 1);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{50}));
    Steps(engine, 1);
    // Up-left, up-right, down-right, down-left: (9,1) (8,2) (10,2) (9,3).
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{29, 49, 51, 71}));
    EXPECT_EQ(engine.KeyLevel(50), 175);
    EXPECT_EQ(engine.Colours()[50], (LedColour{255, 0, 0, 174}));
}

TEST(KeyReactive, RowWaveRunsBothWaysAlongThePressedKeysRow) {
    LightEngine engine;
    engine.Start(SettingsFor(9, false));
    engine.OnKeyEvent(50, KeyAction::Press);
    Steps(engine, 2);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{49, 51}));
    Steps(engine, 1);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{48, 52}));
    EXPECT_EQ(KeysAt(engine, 175), (std::set<int>{49, 51}));
}

TEST(KeyReactive, GlowRaisesTheNeighbourhoodOfAPressAndLowersItOnRelease) {
    LightEngine engine;
    engine.Start(SettingsFor(25, false));
    engine.OnKeyEvent(22, KeyAction::Press);  // column 2, row 1
    EXPECT_EQ(engine.KeyLevel(22), 255);
    for (int key : {0, 43, 21, 23}) EXPECT_EQ(engine.KeyLevel(key), 150) << key;
    for (int key : {64, 1, 42, 44}) EXPECT_EQ(engine.KeyLevel(key), 90) << key;
    for (int key : {120, 24}) EXPECT_EQ(engine.KeyLevel(key), 60) << key;
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(0), 165);
    engine.OnKeyEvent(22, KeyAction::Release);
    EXPECT_EQ(engine.KeyLevel(0), 150);  // direct neighbour: - 15
    EXPECT_EQ(engine.KeyLevel(120), 0);  // 75 - 90, not below 0
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(0), 145);
    EXPECT_EQ(engine.KeyLevel(22), 250);
}

TEST(KeyReactive, GlowKeepsRisingNextToAKeyStillHeld) {
    LightEngine engine;
    engine.Start(SettingsFor(25, false));
    engine.OnKeyEvent(22, KeyAction::Press);  // (2, 1)
    engine.OnKeyEvent(24, KeyAction::Press);  // (4, 1)
    engine.OnKeyEvent(22, KeyAction::Release);
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(23), 255);  // (3, 1) is next to (4, 1)
    EXPECT_EQ(engine.KeyLevel(22), 255);  // (4, 1) is in its own neighbourhood
    EXPECT_EQ(engine.KeyLevel(21), 130);  // (1, 1): 150 - 15, then falling
}

TEST(KeyReactive, OtherModesIgnoreKeysAndSlotsMapThroughTheKeyMap) {
    LightEngine engine;
    engine.Start(SettingsFor(4));
    engine.OnKeyEvent(30, KeyAction::Press);
    EXPECT_EQ(engine.KeyLevel(30), 0);

    engine.Start(SettingsFor(7, false));
    const lighting::KeyIndexMap keySlotOfKey = KeyIndexes({{29, 255}, {30, 3}, {31, 4}});
    auto event = lighting::KeySlotEventOfNotification(0x0503);
    ASSERT_TRUE(event);
    EXPECT_TRUE(engine.OnKeySlotEvent(event->slot, event->action, keySlotOfKey));
    EXPECT_EQ(engine.KeyLevel(30), 255);
    EXPECT_FALSE(engine.OnKeySlotEvent(9, KeyAction::Press, keySlotOfKey));
    EXPECT_EQ(lighting::KeySlotEventOfNotification(0x0604)->action, KeyAction::Release);
    EXPECT_FALSE(lighting::KeySlotEventOfNotification(0x1103));
    engine.OnKeyEvent(170, KeyAction::Press);
    engine.OnKeyEvent(-1, KeyAction::Release);
}

TEST(KeyReactive, TwinkleRepeatsForASeedAndLightsOnlySweepKeys) {
    auto run = [](uint64_t seed) {
        LightEngine engine(seed);
        engine.Start(SettingsFor(10));
        std::vector<lighting::LedColourList> frames;
        for (int i = 0; i < 40; ++i) {
            engine.Step(0);
            frames.push_back(engine.Colours());
        }
        return frames;
    };
    const auto first = run(7);
    EXPECT_EQ(first, run(7));
    EXPECT_NE(first, run(8));
    // Keys outside the sweep order: 16-20, 100, 101, 103, 104, 120-124, 126-169.
    for (const auto& frame : first)
        for (int key : {16, 17, 18, 19, 20, 100, 101, 103, 104, 120, 124, 126, 169})
            EXPECT_EQ(frame[key].brightness, 0) << key;
}

TEST(KeyReactive, RisingWaveClimbsColumnNineEverySecondStepAndStartsAgain) {
    LightEngine engine;
    engine.Start(SettingsFor(13, false));
    Steps(engine, 3);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{129}));  // (9, 5)
    Steps(engine, 2);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{91, 128, 109}));  // (9,4) (8,5) (10,5)
    EXPECT_EQ(engine.KeyLevel(129), 135);
    int relit = 0;
    for (int i = 0; i < 40; ++i) {
        engine.Step(0);
        relit += engine.KeyLevel(129) == kFaded;
    }
    EXPECT_GE(relit, 2);
}

TEST(KeyReactive, SideWaveCrossesTheKeyboardAndStartsOverFromColumnOne) {
    LightEngine engine;
    engine.Start(SettingsFor(16, false));
    Steps(engine, 2);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{0, 21}));
    // The front leaves column 22 below row 5 after 27 moves; then it is seeded again.
    Steps(engine, 26);
    EXPECT_NE(engine.KeyLevel(0), kFaded);
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(0), kFaded);
    EXPECT_EQ(engine.KeyLevel(21), kFaded);
}

TEST(KeyReactive, ScriptedShowRunsItsPhasesAndStartsOver) {
    LightEngine engine;
    engine.Start(SettingsFor(14, false));
    Steps(engine, 1);
    EXPECT_EQ(KeysAt(engine, kFaded), (std::set<int>{0, 118}));
    int steps = 1;
    while (engine.KeyLevel(125) == 0 && steps < 300) engine.Step(0), ++steps;
    EXPECT_LT(steps, 300) << "the wave from key 52 never reached key 125";
    const int reached = steps;
    while (!(engine.KeyLevel(0) == kFaded && engine.KeyLevel(118) == kFaded) && steps < 600)
        engine.Step(0), ++steps;
    EXPECT_LT(steps, 600) << "the show did not start over";
    EXPECT_GT(steps, reached);
}

TEST(KeyReactive, ColumnRingRotatesBothWaysAndLightsItsFirstNineKeys) {
    lighting::ColumnRing ring;
    ring.Set(22, 1);
    ring.Set(4, 1);
    ring.Set(23, 1);  // past the ring: ignored
    ring.Rotate(true);
    EXPECT_EQ(ring.At(0), 1);
    EXPECT_EQ(ring.At(5), 1);
    EXPECT_EQ(ring.At(22), 0);
    ring.Rotate(false);
    ring.Rotate(false);
    EXPECT_EQ(ring.At(21), 1);
    EXPECT_EQ(ring.At(3), 1);
    ring.Set(8, 1);
    ring.Set(9, 1);
    std::array<uint8_t, lighting::kKeyCount> levels{};
    ring.ToKeyLevels(levels);
    for (int k = 0; k < 12; ++k) EXPECT_EQ(levels[k], k == 3 || k == 8 ? 255 : 0) << k;
}

}  // namespace
}  // namespace vivori::testing
