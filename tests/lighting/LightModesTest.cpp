// Frames of the table-driven effects a few steps from their start, against colours
// worked out by hand from the spectrum runs and curves (spectrum x is segment x / 32
// at run position x % 32).
#include "EngineFixture.h"
#include "lighting/LightTables.h"

namespace vivori::testing {
namespace {

constexpr uint8_t kFull = 255;
constexpr uint8_t kFullScaled = 254;  // 255 x 255 / 256

TEST(LightModes, ColumnWaveShowsTheSpectrumSevenApartPerColumn) {
    LightEngine engine;
    engine.Start(SettingsFor(1));
    Steps(engine, 1);
    // Column 0 (key 120): spectrum 2; column 2 (key 0): spectrum 16.
    EXPECT_EQ(engine.Colours()[120], (LedColour{255, 5, 0, kFull}));
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 81, 0, kFull}));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 89, 0, kFull}));

    auto backward = SettingsFor(1);
    backward.direction = 0;
    engine.Start(backward);
    Steps(engine, 1);  // 0 -> 191, column 0 shows spectrum 192 = 0
    EXPECT_EQ(engine.Position(), 191);
    EXPECT_EQ(engine.Colours()[120], (LedColour{255, 1, 0, kFull}));
}

TEST(LightModes, PlainColumnWaveScalesTheColourByTheWaveCurve) {
    LightEngine engine;
    engine.Start(SettingsFor(1, false));
    Steps(engine, 1);
    // Column 0: wave 2 = ramp 18 = 27; column 22 (key 14): wave 60 = breathing 76 = ramp 51 = 176.
    EXPECT_EQ(engine.Colours()[120], (LedColour{255, 0, 0, 26}));
    EXPECT_EQ(engine.Colours()[14], (LedColour{255, 0, 0, 175}));
}

TEST(LightModes, ColumnRainbowStepsTwoPerColumnOrFlashesPlain) {
    LightEngine engine;
    engine.Start(SettingsFor(2));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[1], (LedColour{255, 22, 0, kFull}));  // column 3: spectrum 7
    engine.Start(SettingsFor(2, false));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[120].brightness, 3);  // flash 1 = 4
    EXPECT_EQ(engine.Colours()[0].brightness, 149);  // flash 15 = 150
}

TEST(LightModes, SweepWalksTheSweepOrderFiveApart) {
    LightEngine engine;
    engine.Start(SettingsFor(3));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[15], (LedColour{255, 3, 0, kFull}));    // position 0: 1
    EXPECT_EQ(engine.Colours()[21], (LedColour{0, 255, 89, kFull}));   // position 16: 81
    EXPECT_EQ(engine.Colours()[77], (LedColour{109, 0, 255, kFull}));  // position 106: 147
    EXPECT_EQ(engine.Colours()[120], LedColour{});                     // not in the sweep
}

TEST(LightModes, ColourCycleWrapsBothWays) {
    LightEngine engine;
    engine.Start(SettingsFor(4));
    Steps(engine, 191);
    EXPECT_EQ(engine.Position(), 191);
    EXPECT_EQ(engine.Colours()[60], (LedColour{255, 0, 0, kFull}));
    Steps(engine, 1);
    EXPECT_EQ(engine.Position(), 0);
    EXPECT_EQ(engine.Colours()[169], (LedColour{255, 1, 0, kFull}));

    auto backward = SettingsFor(4);
    backward.direction = 0;
    backward.brightness = 2;
    engine.Start(backward);
    Steps(engine, 2);
    EXPECT_EQ(engine.Position(), 190);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 0, 2, 135}));
}

TEST(LightModes, BreathingPeaksAtSteps63And64AndIsDarkAtTheEnds) {
    LightEngine engine;
    engine.Start(SettingsFor(5, false));
    Steps(engine, 63);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 0, 0, kFullScaled}));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0].brightness, kFullScaled);
    Steps(engine, 63);
    EXPECT_EQ(engine.Position(), 127);
    EXPECT_EQ(engine.Colours()[0].brightness, 0);
    Steps(engine, 1);
    EXPECT_EQ(engine.Position(), 0);
    EXPECT_EQ(engine.Colours()[0].brightness, 0);

    engine.Start(SettingsFor(5));
    Steps(engine, 63);
    EXPECT_EQ(engine.Colours()[21], (LedColour{255, 22, 0, kFullScaled}));  // column 1: 7
}

TEST(LightModes, StaticColourfulPaintsTheDiagonalsOfTheSweepOnly) {
    LightEngine engine;
    engine.Start(SettingsFor(6));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[51], (LedColour{38, 0, 255, kFull}));   // diagonal 0: 138
    EXPECT_EQ(engine.Colours()[118], (LedColour{255, 18, 0, kFull}));  // diagonal 11: 6
    EXPECT_EQ(engine.Colours()[120], LedColour{});
    engine.Start(SettingsFor(6, false));
    Steps(engine, 1);
    for (const auto& entry : engine.Colours()) EXPECT_EQ(entry, (LedColour{255, 0, 0, kFull}));
}

TEST(LightModes, RainbowKeysAdvanceTheSpreadColours) {
    LightEngine engine;
    engine.Start(SettingsFor(11));
    // The spread gives key k colour 33 (k + 1) mod 192.
    for (int k = 0; k < lighting::kKeyCount; ++k)
        ASSERT_EQ(engine.KeyColour(k), 33 * (k + 1) % 192);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0], (LedColour{220, 255, 0, kFull}));  // 34
    EXPECT_EQ(engine.Colours()[5], (LedColour{255, 22, 0, kFull}));   // 198 - 192 + 1 = 7
}

TEST(LightModes, RowAndDiagonalRainbowsStepTheirOwnSpacing) {
    LightEngine engine;
    engine.Start(SettingsFor(12));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 5, 0, kFull}));     // row 0: 2
    EXPECT_EQ(engine.Colours()[21], (LedColour{255, 188, 0, kFull}));  // row 1: 26
    EXPECT_EQ(engine.Colours()[105], (LedColour{0, 12, 255, kFull}));  // row 5: 122
    engine.Start(SettingsFor(18));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[51], (LedColour{255, 26, 0, kFull}));    // diagonal 0: 8
    EXPECT_EQ(engine.Colours()[118], (LedColour{0, 255, 129, kFull}));  // diagonal 11: 85
}

TEST(LightModes, PresetCustomOffAndExternalColourFillTheList) {
    LightEngine engine;
    auto preset = SettingsFor(17);
    preset.preset = 2;
    engine.Start(preset);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[99], (LedColour{0, 255, 18, kFull}));  // 70
    preset.preset = 9;
    engine.Apply(preset);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[99], (LedColour{255, 0, 85, kFull}));  // 174

    const lighting::Rgb custom[] = {{1, 2, 3}, {4, 5, 6}};
    engine.SetCustomColours(custom);
    auto dim = SettingsFor(19);
    dim.brightness = 2;
    engine.Start(dim);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[1], (LedColour{4, 5, 6, 135}));

    const int levels[] = {10, 20, 300};
    engine.SetLevelInput(levels);
    engine.Start(SettingsFor(30));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[169], (LedColour{10, 20, 44, kFull}));  // 300: low byte

    engine.Start(SettingsFor(20));
    Steps(engine, 1);
    for (const auto& entry : engine.Colours()) EXPECT_EQ(entry, LedColour{});
}

TEST(LightModes, BlinkTogglesEveryPeriodAndStepsItsColour) {
    LightEngine engine;
    engine.Start(SettingsFor(23));  // speed 4: 200 ms
    engine.Step(100);
    EXPECT_EQ(engine.Colours()[0], LedColour{});
    engine.Step(200);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 81, 0, kFull}));  // 16
    engine.Step(399);
    EXPECT_EQ(engine.Colours()[0].brightness, kFull);
    engine.Step(400);
    EXPECT_EQ(engine.Colours()[0], LedColour{});
    engine.Step(600);
    EXPECT_EQ(engine.Colours()[0], (LedColour{69, 255, 0, kFull}));  // 48

    LightEngine fourColours;
    fourColours.Start(SettingsFor(27));
    fourColours.Step(200);
    EXPECT_EQ(fourColours.Colours()[0], (LedColour{0, 255, 0, kFull}));
    fourColours.Step(400);
    EXPECT_EQ(fourColours.Colours()[0], LedColour{});
    fourColours.Step(600);
    EXPECT_EQ(fourColours.Colours()[0], (LedColour{255, 0, 0, kFull}));
}

TEST(LightModes, FourColourBreathingMovesToTheNextColourAtEachReturnToZero) {
    LightEngine engine;
    engine.Start(SettingsFor(26));
    Steps(engine, 64);
    EXPECT_EQ(engine.Colours()[7], (LedColour{0, 255, 180, kFullScaled}));
    Steps(engine, 64);
    EXPECT_EQ(engine.Colours()[7], (LedColour{0, 255, 0, 0}));
}

TEST(LightModes, RowRippleLightsARowThatFadesAndShiftsColour) {
    LightEngine engine;
    engine.Start(SettingsFor(24, false));
    Steps(engine, 1);  // row 1: keys 0 26 27 50 51
    EXPECT_EQ(engine.KeyLevel(26), 250);
    EXPECT_EQ(engine.Colours()[26], (LedColour{255, 0, 0, 249}));
    EXPECT_EQ(engine.Colours()[100], (LedColour{255, 0, 0, 0}));

    engine.Start(SettingsFor(24));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 7, 0, kFull}));     // colour 0 + 3
    EXPECT_EQ(engine.Colours()[100], (LedColour{0, 255, 26, kFull}));  // 69 + 3
}

TEST(LightModes, RippleWrapsOddLevelsOnReachingTheCurveEnd) {
    LightEngine engine;
    engine.Start(SettingsFor(15, false));
    // Key 30 starts at 185 (column 10, row 2), key 111 at 192 (row 6 of column 12
    // reads column 13's row 0), key 50 at 60.
    EXPECT_EQ(engine.KeyLevel(30), 185);
    EXPECT_EQ(engine.KeyLevel(111), 192);
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(111), 0);
    EXPECT_EQ(engine.Colours()[50], (LedColour{255, 0, 0, 48}));  // flash 62 = 49
    Steps(engine, 2);
    EXPECT_EQ(engine.KeyLevel(30), 191);
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(30), 0);
    EXPECT_EQ(lighting::StartLevel(22, 6), 0);
    EXPECT_EQ(lighting::StartLevel(21, 6), 192);
}

TEST(LightModes, KeyPulseStartsEachColumnSevenPhasesApart) {
    LightEngine engine;
    engine.Start(SettingsFor(22, false));
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 0, 0, 149}));  // column 2: flash 15
    EXPECT_EQ(engine.Colours()[6], (LedColour{255, 0, 0, 41}));   // column 9: flash 64
}

TEST(LightModes, SnakeWrapsBackwardToTheLastPosition) {
    LightEngine engine;
    engine.Start(SettingsFor(21, false));
    Steps(engine, 1);
    EXPECT_EQ(engine.KeyLevel(1), 214);  // 254 faded once
    EXPECT_EQ(engine.Colours()[1], (LedColour{255, 0, 0, 213}));

    auto backward = SettingsFor(21, false);
    backward.direction = 0;
    engine.Start(backward);
    Steps(engine, 1);
    EXPECT_EQ(engine.Position(), 169);  // position 169 holds key 0
    EXPECT_EQ(engine.KeyLevel(0), 214);
    Steps(engine, 169);
    EXPECT_EQ(engine.Position(), 0);
    Steps(engine, 1);
    EXPECT_EQ(engine.Position(), 169);
}

TEST(LightModes, ValuesFromFilesOutsideTheirRangesAreBounded) {
    LightEngine engine;
    auto wild = SettingsFor(4);
    wild.brightness = 9;
    wild.speed = -3;
    engine.Start(wild);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0].brightness, kFull);
    wild.brightness = -1;
    engine.Apply(wild);
    Steps(engine, 1);
    EXPECT_EQ(engine.Colours()[0].brightness, 0);
    for (int mode : {0, 28, 29, 31, 255, -1}) {
        engine.Start(SettingsFor(mode));
        Steps(engine, 3);  // nothing computed here; nothing read past a table
    }
    EXPECT_EQ(lighting::FadeLevel(0, 99), 0);
}

TEST(LightModes, FadeKindsFollowTheirBands) {
    auto run = [](int kind, int n) {
        std::vector<int> levels;
        uint8_t level = 150;
        for (int i = 0; i < n; ++i) levels.push_back(level = lighting::FadeLevel(level, kind));
        return levels;
    };
    EXPECT_EQ(run(0, 9), (std::vector<int>{110, 80, 50, 35, 20, 12, 11, 10, 9}));
    EXPECT_EQ(run(29, 9), (std::vector<int>{105, 75, 55, 45, 35, 25, 20, 15, 14}));
    EXPECT_EQ(run(8, 9), (std::vector<int>{110, 80, 50, 40, 30, 22, 14, 13, 12}));
}

}  // namespace
}  // namespace vivori::testing
