// The music styles of mode 29 against cells worked out by hand: bar length
// L = 600 - v x 600 / 2000, spectrum x is segment x / 32 at run position x % 32, key
// cells from the key grid (column, row -> LED).
#include <climits>
#include <initializer_list>
#include <utility>
#include <vector>

#include "EngineFixture.h"
#include "lighting/WaveMasks.h"

namespace vivori::testing {
namespace {

using lighting::MusicSettings;
using lighting::Rgb;
using lighting::WaveMasks;

constexpr Rgb kPeak{200, 100, 50};
constexpr Rgb kBase{0, 0, 9};
constexpr LedColour kLit{200, 100, 50, 254};  // peak at 255 x 255 / 256
constexpr LedColour kDark{0, 0, 9, 255};      // base at the full level

LightEngine MusicEngine(int style, bool peakColourful = false, int direction = 1) {
    LightEngine engine;
    engine.SetMusicSettings({style, kBase, kPeak, peakColourful});
    auto settings = SettingsFor(lighting::kMusicMode, false);
    settings.direction = direction;
    engine.Start(settings);
    return engine;
}

// 25 values, all `rest` except the listed (index, value) pairs.
std::vector<int> Values(std::initializer_list<std::pair<int, int>> set, int rest = 0) {
    std::vector<int> values(lighting::kMusicValueCount, rest);
    for (auto [index, value] : set) values[static_cast<size_t>(index)] = value;
    return values;
}

void Feed(LightEngine& engine, const std::vector<int>& values, int steps = 1) {
    for (int i = 0; i < steps; ++i) {
        engine.SetMusicInput(values);
        engine.Step(0);
    }
}

TEST(MusicStyles, ColumnBarsRiseFromTheBottomRowAndCollapseFromTheTop) {
    LightEngine engine = MusicEngine(0);
    // Value 0 of 2000: L 0, rows 1-5 of column 0 (LEDs 120-124). Value 1 of 1000: L 300,
    // rows 4-5 of column 1 (84, 105). Value 2 silent: column 2 dark.
    Feed(engine, Values({{0, 2000}, {1, 1000}}));
    for (int key : {120, 124, 84, 105}) EXPECT_EQ(engine.Colours()[key], kLit) << key;
    for (int key : {21, 63, 0, 102}) EXPECT_EQ(engine.Colours()[key], kDark) << key;

    // Silence: only a cell below a dark or missing one fades (kind 29: 255 -> 210).
    Feed(engine, Values({}));
    EXPECT_EQ(engine.Colours()[120], (LedColour{200, 100, 50, 209}));
    EXPECT_EQ(engine.Colours()[121], kLit);
    EXPECT_EQ(engine.Colours()[84], (LedColour{200, 100, 50, 209}));
    EXPECT_EQ(engine.Colours()[105], kLit);

    // Past full loudness the bar covers the whole column, row 0 included.
    engine = MusicEngine(0);
    Feed(engine, Values({{2, 2100}}));
    EXPECT_EQ(engine.Colours()[0], kLit);
    EXPECT_EQ(engine.Colours()[102], kLit);
}

TEST(MusicStyles, ColumnBarsTakeSpectrumColoursTenApartAndMoveTheValueIndexEvery31Steps) {
    LightEngine engine = MusicEngine(0, true);
    Feed(engine, Values({}, 2000));
    // Step 1: column 0 at 11 = (255, 44, 0), column 1 at 21 = (255, 129, 0).
    EXPECT_EQ(engine.Colours()[120], (LedColour{255, 44, 0, 254}));
    EXPECT_EQ(engine.Colours()[21], (LedColour{255, 129, 0, 254}));

    Feed(engine, Values({}), 29);
    EXPECT_EQ(engine.ValueIndex(), 0);
    Feed(engine, Values({}));
    EXPECT_EQ(engine.ValueIndex(), 1);

    LightEngine backward = MusicEngine(0, true, 0);
    Feed(backward, Values({}), 31);
    EXPECT_EQ(backward.ValueIndex(), 24);
}

TEST(MusicStyles, RowHalvesGrowOutwardAndNeverReachTheOuterColumns) {
    LightEngine engine = MusicEngine(1);
    Feed(engine, Values({}, 2000));
    // Row 1, columns 0..22: 120 21 22 .. 28 | 29 .. 41 36 15 14. Loud: columns 2-8 and 9-19.
    for (int key : {22, 28, 29, 41}) EXPECT_EQ(engine.Colours()[key], kLit) << key;
    for (int key : {120, 21, 36, 15, 14}) EXPECT_EQ(engine.Colours()[key], kDark) << key;

    // The value index is 2 after the second step: row 0's left half reads value 5, its
    // right half value 1; row 1's right half reads value 3, which past full loudness
    // counts as L 500 and lights column 9 alone.
    Feed(engine, Values({}), 31);
    EXPECT_EQ(engine.ValueIndex(), 7);  // 32 steps, wrapping at 25
    engine = MusicEngine(1);
    Feed(engine, Values({}));
    Feed(engine, Values({{5, 2000}, {3, 2100}}));
    EXPECT_EQ(engine.Colours()[0], kLit);   // row 0, column 2
    EXPECT_EQ(engine.Colours()[5], kLit);   // row 0, column 8
    EXPECT_EQ(engine.Colours()[6], kDark);  // row 0, column 9
    EXPECT_EQ(engine.Colours()[29], kLit);  // row 1, column 9
    EXPECT_EQ(engine.Colours()[30], kDark);
    EXPECT_EQ(engine.Colours()[28], kDark);
}

TEST(MusicStyles, ThirdLoudArrivalStartsOneWaveAtLed51AndTheTotalRestarts) {
    LightEngine engine = MusicEngine(2);
    const auto loud = Values({}, 2000);  // L 0: 25 points an arrival
    engine.SetMusicInput(loud);
    engine.SetMusicInput(loud);
    EXPECT_EQ(engine.Masks().Column(10), 0);
    engine.SetMusicInput(loud);  // 75 > 70
    for (int c = 0; c < lighting::kGridColumns; ++c)
        EXPECT_EQ(engine.Masks().Column(c), c == 10 ? WaveMasks::RowBit(2) : 0) << c;

    // The total restarted at 0 (a reset clears the masks, not the total): two more
    // arrivals start nothing; after another reset the third one does.
    engine.Start(engine.Settings());
    engine.SetMusicInput(loud);
    engine.SetMusicInput(loud);
    EXPECT_EQ(engine.Masks().Column(10), 0);
    engine.Start(engine.Settings());
    engine.SetMusicInput(loud);
    EXPECT_EQ(engine.Masks().Column(10), WaveMasks::RowBit(2));

    // Other styles and modes leave the input for the steps.
    LightEngine other = MusicEngine(0);
    for (int i = 0; i < 3; ++i) other.SetMusicInput(loud);
    EXPECT_EQ(other.Masks().Column(10), 0);
}

TEST(MusicStyles, WaveKeysLightThenFadeWithColoursMovingNinePerStep) {
    LightEngine engine = MusicEngine(2, true);
    for (int i = 0; i < 3; ++i) engine.SetMusicInput(Values({}, 2000));
    engine.Step(0);
    // LED 51 starts at colour 33 x 52 mod 192 = 180; + 9 = 189 = (255, 0, 4).
    EXPECT_EQ(engine.Colours()[51], (LedColour{255, 0, 4, 254}));
    engine.Step(0);
    // The fronts moved on; 198 wraps to 0 = (255, 1, 0) at 210.
    EXPECT_EQ(engine.Colours()[51], (LedColour{255, 1, 0, 209}));
    EXPECT_EQ(engine.KeyColour(51), 0);
    EXPECT_EQ(engine.KeyLevel(30), 255);  // column 10, row 1
}

TEST(MusicStyles, DiagonalsLightByTheMeanAndMoveTheirColoursByIt) {
    LightEngine engine = MusicEngine(3, true);
    Feed(engine, Values({}, 2000));  // mean L 0: all 12 lit, no move
    EXPECT_EQ(engine.Position(), 0);
    EXPECT_EQ(engine.Colours()[51], (LedColour{255, 32, 0, 254}));  // diagonal 0 at 9
    EXPECT_EQ(engine.Colours()[30], (LedColour{255, 99, 0, 254}));  // diagonal 1 at 18

    Feed(engine, Values({}));  // L 600: A 20, nothing lit, a step of 20
    EXPECT_EQ(engine.Position(), 20);
    // Unlit diagonals fade with kind 0 (255 -> 215), diagonal 0 now at 29.
    EXPECT_EQ(engine.Colours()[51], (LedColour{255, 227, 0, 214}));

    LightEngine half = MusicEngine(3, false, 0);
    Feed(half, Values({}, 1000));  // L 300: A 10, diagonals 0-9; backward 0 -> 182
    EXPECT_EQ(half.Position(), 182);
    EXPECT_EQ(half.Colours()[6], kLit);   // diagonal 4
    EXPECT_EQ(half.Colours()[0], kDark);  // diagonal 10
    EXPECT_EQ(half.Colours()[118], kDark);
}

TEST(MusicStyles, LatchedColumnsLightWholeOnceTheirBottomIsDark) {
    LightEngine engine = MusicEngine(4, true);
    // Column c follows value (V + 1 + c) mod 25: value 1 drives column 0 alone.
    Feed(engine, Values({{1, 2000}}));
    for (int key = 120; key <= 124; ++key) EXPECT_EQ(engine.KeyLevel(key), 255) << key;
    EXPECT_EQ(engine.KeyLevel(21), 0);
    EXPECT_EQ(engine.Colours()[120], kDark);  // drawn before it was lit

    // LED 120's own colour 33 x 121 mod 192 = 153 = (176, 0, 255). The top fades under
    // the dark row 0; the rest hold.
    Feed(engine, Values({{1, 2000}}));
    EXPECT_EQ(engine.Colours()[120], (LedColour{176, 0, 255, 209}));
    EXPECT_EQ(engine.KeyLevel(121), 255);
    // Latched: loud input does not light the column again while its bottom is lit.
    Feed(engine, Values({{1, 2000}}));
    EXPECT_EQ(engine.KeyLevel(120), 165);

    int steps = 0;
    while (engine.KeyLevel(124) >= 10 && steps < 300) Feed(engine, Values({{1, 2000}})), ++steps;
    ASSERT_LT(steps, 300);
    EXPECT_LT(engine.KeyLevel(120), 10);
    Feed(engine, Values({{1, 2000}}));
    for (int key = 120; key <= 124; ++key) EXPECT_EQ(engine.KeyLevel(key), 255) << key;

    // A reset sets every latch again, and the dark bottoms clear them in the first step.
    engine.Start(engine.Settings());
    Feed(engine, Values({}, 1000));  // L 300: rows 4 and 5
    EXPECT_EQ(engine.KeyLevel(84), 255);
    EXPECT_EQ(engine.KeyLevel(105), 255);
    EXPECT_EQ(engine.KeyLevel(63), 0);
}

TEST(MusicStyles, LeftRowBarsFollowTheirValueGroups) {
    LightEngine engine = MusicEngine(5, true);
    // Values 0-1 (3000 each, sum / 3 = 2000, L 0): row 5, columns 0-20. Values 5-7 (1000,
    // L 300, N 8): row 3, columns 0-8. Value 24 is in no group.
    Feed(engine, Values({{0, 3000}, {1, 3000}, {5, 1000}, {6, 1000}, {7, 1000}, {24, 9000}}));
    // Step 1: column c at 1 + 3 (c + 1).
    EXPECT_EQ(engine.Colours()[124], (LedColour{255, 10, 0, 254}));  // column 0 at 4
    EXPECT_EQ(engine.Colours()[104], (LedColour{0, 255, 1, 254}));   // column 20 at 64
    EXPECT_EQ(engine.Colours()[130], kDark);                         // column 21
    EXPECT_EQ(engine.KeyLevel(70), 255);                             // row 3, column 8
    EXPECT_EQ(engine.KeyLevel(71), 0);                               // row 3, column 9
    EXPECT_EQ(engine.KeyLevel(42), 0);                               // row 2 (values 8-11)

    // Silence: the bar's right end fades first.
    Feed(engine, Values({}));
    EXPECT_EQ(engine.KeyLevel(104), 210);
    EXPECT_EQ(engine.KeyLevel(111), 255);  // row 5, column 19
}

TEST(MusicStyles, AlternateRowBarsStepTheirColourOnlyOnDrawnCells) {
    LightEngine engine = MusicEngine(6, true);
    // Row 0 (values 0-1) and row 1 (values 2-3) at L 0: N 0, every column. Row 0 runs from
    // the left past two missing cells, so LED 0 (column 2) is the first drawn: 1 + 2.
    Feed(engine, Values({{0, 3000}, {1, 3000}, {2, 3000}, {3, 3000}}));
    EXPECT_EQ(engine.Colours()[0], (LedColour{255, 7, 0, 254}));
    EXPECT_EQ(engine.Colours()[1], (LedColour{255, 14, 0, 254}));
    // Row 1 runs from the right: LED 14 (column 22) at 3, LED 15 at 5; all 23 columns lit.
    EXPECT_EQ(engine.Colours()[14], (LedColour{255, 7, 0, 254}));
    EXPECT_EQ(engine.Colours()[15], (LedColour{255, 14, 0, 254}));
    EXPECT_EQ(engine.KeyLevel(120), 255);
    // Silent rows: N 23, so even rows light nothing and odd rows column 0 alone.
    EXPECT_EQ(engine.KeyLevel(122), 255);  // row 3, column 0
    EXPECT_EQ(engine.KeyLevel(66), 0);     // row 3, column 4
    EXPECT_EQ(engine.KeyLevel(43), 0);     // row 2, column 2
}

TEST(MusicStyles, HostileValuesStayInRangeInEveryStyle) {
    const std::vector<std::vector<int>> inputs = {
        Values({}, INT_MIN), Values({}, INT_MAX),
        Values({{0, INT_MIN}, {3, INT_MAX}, {7, -1}, {24, INT_MAX}}, INT_MAX / 3)};
    for (int style = 0; style <= 6; ++style)
        for (int direction : {0, 1})
            for (const auto& input : inputs) {
                LightEngine engine = MusicEngine(style, true, direction);
                Feed(engine, input, 40);
                EXPECT_LT(engine.Position(), lighting::kSpectrumSize) << style;
                for (int key = 0; key < lighting::kKeyCount; ++key)
                    EXPECT_LT(engine.KeyColour(key), lighting::kSpectrumSize);
            }
    // A style outside 0-6 draws nothing; a long list is cut at 25 values.
    LightEngine none = MusicEngine(7);
    Feed(none, std::vector<int>(600, 2000), 3);
    for (const auto& entry : none.Colours()) EXPECT_EQ(entry, LedColour{});
}

TEST(MusicStyles, SettingsChangeWithoutRestartAndResetClearsOnlyTheInput) {
    LightEngine engine = MusicEngine(1);
    Feed(engine, Values({}), 3);
    engine.SetMusicSettings({0, kBase, kPeak, false});
    EXPECT_EQ(engine.Position(), 3);
    EXPECT_EQ(engine.ValueIndex(), 3);

    engine.SetMusicInput(Values({}, 2000));
    engine.Start(engine.Settings());
    EXPECT_EQ(engine.ValueIndex(), 3);  // kept
    engine.Step(0);                     // the loud input went with the reset
    EXPECT_EQ(engine.KeyLevel(124), 0);

    const MusicSettings decoded = lighting::MusicSettingsOfCurrentColours(0x30201002u, 0x01CCBBAAu);
    EXPECT_EQ(decoded, (MusicSettings{2, {0x10, 0x20, 0x30}, {0xAA, 0xBB, 0xCC}, true}));
}

}  // namespace
}  // namespace vivori::testing
