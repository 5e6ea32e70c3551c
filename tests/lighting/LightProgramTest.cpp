// The custom light program and LED layer against values worked out by hand from the
// tables: breathing curve b(i) = ramp(i) for i < 64, wave curve w(i) = b(16 + i),
// spectrum x is segment x / 32 at run position x % 32, shown value = level x curve / 256.
#include <gtest/gtest.h>

#include <climits>

#include "lighting/LightProgram.h"

namespace vivori::testing {
namespace {

using lighting::LedColour;
using lighting::LedColourList;
using lighting::LedRecord;
using lighting::LightProgram;
using lighting::ProgramStep;

constexpr int32_t kForever = INT32_MAX;
constexpr LedColour kMarker{1, 2, 3, 4};  // what "the running mode" left in the list

LedColourList Marked() {
    LedColourList list;
    list.fill(kMarker);
    return list;
}

// Plays n loops one light tick (16 ms) apart.
void Play(LightProgram& program, LedColourList& list, int n) {
    for (int i = 0; i < n; ++i) program.StepProgram(16 * i, 4, list);
}

void Layer(LightProgram& program, LedColourList& list, int n) {
    for (int i = 0; i < n; ++i) program.ApplyLedLayer(0, list);
}

// A program of one step that lasts for ever.
LightProgram With(ProgramStep step) {
    step.timeMs = kForever;
    LightProgram program;
    program.LoadSteps({step});
    return program;
}

TEST(LightProgram, PacedStepsMoveThePositionAtTheirSpeed) {
    LedColourList list = Marked();
    auto breathing = With({.type = 0, .light = 2, .speed = 2, .colour = {10, 20, 30}});
    Play(breathing, list, 80);  // pace 4: position 20, b(20) = 33 at 135
    EXPECT_EQ(list[169], (LedColour{10, 20, 30, 17}));

    auto rainbow = With({.type = 0, .speed = 4, .multiColour = true});
    Play(rainbow, list, 127);
    EXPECT_EQ(list[0], (LedColour{255, 1, 0, 0}));  // spectrum 0, b(127) = 0
    Play(rainbow, list, 2);                         // the next breath: spectrum 16
    EXPECT_EQ(list[0], (LedColour{255, 81, 0, 0}));

    auto still = With({.type = 1, .light = 3, .speed = 0, .colour = {0, 0, 255}});
    list = Marked();
    Play(still, list, 7);
    EXPECT_EQ(list[5], kMarker);  // pace 8 not reached
    Play(still, list, 1);
    EXPECT_EQ(list[5], (LedColour{0, 0, 255, 195}));

    auto cycle = With({.type = 5, .light = 1, .speed = 1});
    Play(cycle, list, 16);  // pace 8: spectrum 2
    EXPECT_EQ(list[0], (LedColour{255, 5, 0, 80}));
}

TEST(LightProgram, BlinkFollowsTheKeyboardSpeedAndTakesItsColourFromThePosition) {
    auto program = With({.type = 2, .speed = 0, .multiColour = true});
    LedColourList list{};
    program.StepProgram(1000, 4, list);  // on; position 1, colour 15
    EXPECT_EQ(list[0], (LedColour{255, 73, 0, 255}));
    program.StepProgram(1100, 4, list);
    EXPECT_EQ(list[0].brightness, 255);
    program.StepProgram(1200, 4, list);  // 200 ms: off
    EXPECT_EQ(list[0], LedColour{});
    program.StepProgram(1400, 4, list);  // on; position 4, colour 18
    EXPECT_EQ(list[0], (LedColour{255, 99, 0, 255}));
    program.StepProgram(1500, 0, list);  // keyboard speed 0: 1600 ms
    program.StepProgram(2999, 0, list);
    EXPECT_EQ(list[0].brightness, 255);
}

TEST(LightProgram, WaveRunsTwelveEntriesPerLedEitherWay) {
    auto rainbow = With({.type = 4, .speed = 4, .multiColour = true});
    LedColourList list{};
    Play(rainbow, list, 1);                             // d = 2
    EXPECT_EQ(list[3], (LedColour{170, 255, 0, 255}));  // spectrum 38
    EXPECT_EQ(list[16], (LedColour{255, 5, 0, 255}));   // 194 wraps to 2

    auto back = With({.type = 4, .speed = 0, .fx = 1, .multiColour = true});
    Play(back, list, 1);                               // position 0: d = 191
    EXPECT_EQ(list[1], (LedColour{255, 44, 0, 255}));  // spectrum 11

    auto plain = With({.type = 4, .speed = 4, .colour = {255, 0, 0}});
    Play(plain, list, 1);
    EXPECT_EQ(list[0].brightness, 68);  // w(14) = 69
    EXPECT_EQ(list[5].brightness, 98);  // w(74) = b(90) = 99
}

TEST(LightProgram, StepsAlternateByTheirTimesFromTheFirstLoop) {
    LightProgram program;
    program.LoadSteps({{.type = 1, .speed = 4, .colour = {255, 0, 0}, .timeMs = 1000},
                       {.type = 1, .speed = 4, .colour = {0, 255, 0}, .timeMs = 2000}});
    auto list = Marked();
    // A large tick count at the first loop and a clock that wraps in the middle.
    const uint32_t start = UINT32_MAX - 500;
    std::vector<uint32_t> changes;
    LedColour second;
    for (uint32_t t = 0; t < 6100; t += 16) {
        const int before = program.StepIndex();
        program.StepProgram(start + t, 4, list);
        if (program.StepIndex() != before) changes.push_back(t);
        if (t == 1024) second = list[0];
    }
    EXPECT_EQ(changes, (std::vector<uint32_t>{1008, 3024, 4032, 6048}));
    EXPECT_EQ(second, (LedColour{0, 255, 0, 255}));
}

TEST(LightProgram, NoStepsTurnsEveryLedOffAndAShrunkListRestarts) {
    LightProgram program;
    auto list = Marked();
    program.StepProgram(0, 4, list);
    EXPECT_EQ(list[0], LedColour{});
    EXPECT_EQ(list[169], LedColour{});

    std::vector<ProgramStep> steps(3, {.type = 1, .speed = 4, .timeMs = 0});
    steps[0].colour = {7, 7, 7};
    program.LoadSteps(steps);
    Play(program, list, 3);
    EXPECT_EQ(program.StepIndex(), 2);
    program.LoadSteps({steps[0]});
    program.StepProgram(1000, 4, list);
    EXPECT_EQ(program.StepIndex(), 0);
    EXPECT_EQ(list[0], (LedColour{7, 7, 7, 255}));
}

TEST(LedLayer, PresentFlagGatesBreathingAndCyclingOnly) {
    LightProgram program;
    program.LoadRecords({{.pattern = 0, .colour = {0, 255, 0}},
                         {.pattern = 3},
                         {.pattern = 1, .light = 2, .colour = {5, 6, 7}},
                         {.pattern = 4},
                         {.pattern = 7, .present = true},
                         {.pattern = 0, .colour = {0, 255, 0}, .present = true},
                         {.pattern = 3, .speed = 3, .present = true}});
    EXPECT_TRUE(program.HasLedLayer());
    EXPECT_TRUE(program.LedLayerCountsLoops());
    auto list = Marked();
    Layer(program, list, 2);
    EXPECT_EQ(list[0], kMarker);
    EXPECT_EQ(list[1], kMarker);
    EXPECT_EQ(list[2], (LedColour{5, 6, 7, 135}));
    EXPECT_EQ(list[3], LedColour{});
    EXPECT_EQ(list[4], kMarker);
    EXPECT_EQ(list[5], (LedColour{0, 255, 0, 7}));    // position 8: b(8) = 8
    EXPECT_EQ(list[6], (LedColour{255, 3, 0, 255}));  // pace 2: spectrum 1
    EXPECT_EQ(list[7], kMarker);                      // no record

    program.LoadRecords({{.pattern = 0}, {.pattern = 9, .present = true}});
    EXPECT_FALSE(program.HasLedLayer());
    program.LoadRecords({{.pattern = 2}});
    EXPECT_TRUE(program.HasLedLayer());
    EXPECT_FALSE(program.LedLayerCountsLoops());
}

TEST(LedLayer, BreathingWrapsAtTheCurveEndAndItsColourStopsAtTheLast) {
    LightProgram program;
    program.LoadRecords({{.pattern = 0, .speed = 1, .present = true},
                         {.pattern = 0, .speed = 4, .multiColour = true, .present = true}});
    LedColourList list{};
    Layer(program, list, 26);  // +5: 125, then 130 restarts at 0
    EXPECT_EQ(list[0].brightness, 0);
    Layer(program, list, 1);
    EXPECT_EQ(list[0].brightness, 4);  // b(5) = 5
    Layer(program, list, 16 * 200 - 27);
    EXPECT_EQ(list[1], (LedColour{255, 0, 0, 0}));  // 200 breaths: spectrum 191

    program.LoadRecords({{.pattern = 0, .speed = 1, .present = true}});  // restarts
    Layer(program, list, 1);
    EXPECT_EQ(list[0].brightness, 4);
}

TEST(LedLayer, BlinkingTogglesByItsOwnSpeedMovingTheColourFourteenOn) {
    LightProgram program;
    program.LoadRecords({{.pattern = 2, .light = 4, .speed = 4, .multiColour = true}});
    LedColourList list{};
    std::vector<LedColour> shown;
    for (int n = 1; n <= 15; ++n) {
        program.ApplyLedLayer(1000 + 200 * (n - 1), list);
        program.ApplyLedLayer(1100 + 200 * (n - 1), list);  // no toggle between
        shown.push_back(list[0]);
    }
    EXPECT_EQ(shown[0], (LedColour{255, 65, 0, 255}));  // spectrum 14
    EXPECT_EQ(shown[1], LedColour{});
    EXPECT_EQ(shown[12], (LedColour{255, 0, 29, 255}));  // spectrum 182
    EXPECT_EQ(shown[14], shown[0]);                      // 196 wrapped to 0, then 14
}

TEST(LightProgram, HostileFileValuesStayInBounds) {
    LightProgram program;
    std::vector<ProgramStep> steps;
    for (int type : {0, 1, 2, 3, 4, 5, 255, -1})
        steps.push_back({type, 255, 255, 255, true, {255, 255, 255}, -1});
    program.LoadSteps(steps);
    program.LoadRecords(std::vector<LedRecord>(
        300, {.pattern = 255, .light = 255, .speed = 255, .fx = 255, .present = true}));
    auto list = Marked();
    for (int i = 0; i < 2000; ++i) {
        program.StepProgram(16 * i, 255, list);
        program.ApplyLedLayer(16 * i, list);
    }
    EXPECT_LT(program.StepIndex(), 8);

    // Clamped to level 4 and speed 4.
    auto breathing = With({.type = 0, .light = 255, .speed = 255});
    Play(breathing, list, 20);
    EXPECT_EQ(list[0].brightness, 32);
    LightProgram layer;
    layer.LoadRecords(
        std::vector<LedRecord>(300, {.pattern = 0, .light = 255, .speed = 255, .present = true}));
    Layer(layer, list, 2);                // + 8 per pass
    EXPECT_EQ(list[169].brightness, 21);  // b(16) = 22 at level 255
}

}  // namespace
}  // namespace vivori::testing
