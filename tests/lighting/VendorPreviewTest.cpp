#include <gtest/gtest.h>

#include <vector>

#include "lighting/LightTables.h"
#include "lighting/VendorPreview.h"

namespace vivori::lighting {
namespace {

const std::vector<std::pair<int, int>> kGroups = {{1, 14}, {2, 13}, {3, 12}, {4, 11},
                                                  {5, 10}, {6, 9},  {7, 8}};

PreviewSettings Wave(bool colourful) {
    return {.modeIndex = VendorPreview::kModeWave,
            .brightness = 4,
            .speed = 4,
            .direction = 1,
            .colourful = colourful,
            .colour = {200, 100, 50}};
}

Rgb ColourOf(const LedColour& c) {
    return {c.red, c.green, c.blue};
}

TEST(VendorPreviewTest, PadWaveSpreadsSevenPositionsPerLed) {
    VendorPreview preview(PreviewWave::Pad, kGroups);
    std::vector<LedColour> leds(15);
    preview.SetPosition(10);
    preview.Step(Wave(true), 0, leds);
    // Position 11 now: LED k shows entry 12 + 7k, so LED 7 is 49 entries after LED 0.
    EXPECT_EQ(ColourOf(leds[0]), Spectrum(12));
    EXPECT_EQ(ColourOf(leds[7]), Spectrum(12 + 49));
    EXPECT_EQ(leds[0].brightness, 255);

    preview.SetPosition(94);
    preview.Step(Wave(false), 0, leds);  // single colour: position 95
    EXPECT_EQ(leds[0].brightness, 255 * WaveCurve(0) / 256);
    EXPECT_EQ(leds[1].brightness, 255 * WaveCurve(7) / 256);
    EXPECT_EQ(ColourOf(leds[1]), (Rgb{200, 100, 50}));
}

TEST(VendorPreviewTest, HeadsetWaveWrapsEveryLedInsideItsTables) {
    VendorPreview preview(PreviewWave::Headset, kGroups);
    std::vector<LedColour> leds(13);
    preview.SetPosition(90);
    preview.Step(Wave(false), 0, leds);  // three a step: 93
    EXPECT_EQ(preview.Position(), 93);
    // LED 12 is 120 positions on: taken modulo 96, not read past the curve.
    EXPECT_EQ(leds[12].brightness, 255 * WaveCurve((93 + 120) % 96) / 256);
    preview.Step(Wave(false), 0, leds);
    EXPECT_EQ(preview.Position(), 0);

    preview.SetPosition(180);
    preview.Step(Wave(true), 0, leds);
    EXPECT_EQ(ColourOf(leds[12]), Spectrum((182 + 16 * 12) % 192));
}

TEST(VendorPreviewTest, StepsComeAtTheSpeedsIntervalOfLightTicks) {
    VendorPreview preview(PreviewWave::Pad, kGroups);
    std::vector<LedColour> leds(15);
    PreviewSettings slow = Wave(true);
    slow.speed = 0;
    int steps = 0;
    for (int tick = 0; tick < 80; ++tick) steps += preview.Tick(slow, 0, leds);
    EXPECT_EQ(steps, 10);  // every eighth tick
    PreviewSettings fast = Wave(true);
    steps = 0;
    for (int tick = 0; tick < 80; ++tick) steps += preview.Tick(fast, 0, leds);
    EXPECT_EQ(steps, 80);
    slow.speed = 99;  // a bad value from a file runs at the fastest speed, not past the table
    EXPECT_EQ(VendorPreview::StepInterval(slow.speed), 1);
    EXPECT_TRUE(VendorPreview::RunsCustomProgram(5));
    EXPECT_TRUE(VendorPreview::RunsCustomProgram(11));
    EXPECT_FALSE(VendorPreview::RunsCustomProgram(8));
}

// A loop that sleeps until the next step hands over the ticks it slept at once: the
// colours must come out as tick by tick, at every speed and in modes that count time.
TEST(VendorPreviewTest, TicksHandedOverAtOnceStepAsTheSameTicksOneByOne) {
    for (int mode : {VendorPreview::kModeWave, VendorPreview::kModeBreathing,
                     VendorPreview::kModeLedChase, VendorPreview::kModeGroupChase}) {
        for (int speed = 0; speed < 5; ++speed) {
            VendorPreview byTick(PreviewWave::Headset, kGroups),
                atOnce(PreviewWave::Headset, kGroups);
            std::vector<LedColour> one(13), other(13);
            PreviewSettings s = Wave(true);
            s.modeIndex = mode;
            s.speed = speed;
            for (int step = 0; step < 12; ++step) {
                const int ticks = atOnce.TicksToStep(s);
                EXPECT_EQ(ticks, VendorPreview::StepInterval(speed));
                bool steppedByTick = false;
                for (int t = 0; t < ticks; ++t) steppedByTick = byTick.Tick(s, 0, one);
                EXPECT_TRUE(steppedByTick);
                EXPECT_TRUE(atOnce.Tick(s, 0, other, ticks))
                    << "mode " << mode << " speed " << speed;
                ASSERT_EQ(one, other) << "mode " << mode << " speed " << speed << " step " << step;
            }
        }
    }
    // Part of the way to a step, the rest is what is left; another mode starts afresh.
    VendorPreview preview(PreviewWave::Pad, kGroups);
    std::vector<LedColour> leds(15);
    PreviewSettings slow = Wave(false);
    slow.speed = 0;
    EXPECT_FALSE(preview.Tick(slow, 0, leds, 3));
    EXPECT_EQ(preview.TicksToStep(slow), 5);
    PreviewSettings other = slow;
    other.modeIndex = VendorPreview::kModeBreathing;
    EXPECT_EQ(preview.TicksToStep(other), 8);
}

TEST(VendorPreviewTest, GroupChaseLightsBothLedsOfAGroupAndSkipsLedsOutsideTheList) {
    VendorPreview preview(PreviewWave::Pad, kGroups);
    PreviewSettings chase{.modeIndex = VendorPreview::kModeGroupChase,
                          .brightness = 4,
                          .speed = 4,
                          .direction = 0,
                          .colour = {0, 255, 0}};
    std::vector<LedColour> leds(10);  // groups (4, 11) to (1, 14) have LEDs past the list
    preview.Step(chase, 0, leds);
    // The seeded ring position 0 lit group 0; its partner LED 14 is outside the list.
    EXPECT_GT(leds[1].brightness, 0);
    EXPECT_EQ(ColourOf(leds[1]), (Rgb{0, 255, 0}));
    EXPECT_EQ(preview.RingAt(1), 1);  // clear Fx turns the first eight places upward
    for (int i = 0; i < 6; ++i) preview.Step(chase, 0, leds);
    // Every second step lights the next group: group 3 is (4, 11), and only LED 4 exists.
    EXPECT_EQ(preview.KeyLevel(3), 215);
    EXPECT_EQ(leds[4].brightness, 255 * 215 / 256);
}

TEST(VendorPreviewTest, StaticAndOffPaintEveryLed) {
    VendorPreview preview(PreviewWave::Headset, kGroups);
    std::vector<LedColour> leds(13);
    PreviewSettings s = Wave(true);
    s.modeIndex = VendorPreview::kModeStatic;
    s.brightness = 2;
    preview.Step(s, 0, leds);
    for (const LedColour& c : leds) EXPECT_EQ(c, (LedColour{200, 100, 50, 135}));
    s.modeIndex = VendorPreview::kModeOff;
    preview.Step(s, 0, leds);
    for (const LedColour& c : leds) EXPECT_EQ(c, LedColour{});
}

}  // namespace
}  // namespace vivori::lighting
