#include "MouseFixture.h"
#include "lighting/LightPacer.h"
#include "lighting/LightTables.h"
#include "lighting/MouseLightEffects.h"

namespace vivori::testing {
namespace {

using lighting::MouseLightEffects;

lighting::LightSettings Settings(int mode, bool colourful, int direction = 1) {
    lighting::LightSettings s;
    s.mode = mode;
    s.brightness = 4;
    s.speed = 2;
    s.direction = direction;
    s.colourful = colourful;
    s.colour = {10, 20, 30};
    return s;
}

lighting::Rgb RgbOf(const lighting::LedColour& c) {
    return {c.red, c.green, c.blue};
}

TEST(MouseLightEffects, WaveGivesEachGroupTheSpectrumSevenFurtherOn) {
    MouseLightEffects effects;
    effects.Apply(Settings(lighting::kMouseWave, true));
    while (effects.Position() != 191) effects.Step(0);
    EXPECT_EQ(RgbOf(effects.Colours()[0]), lighting::Spectrum(0));
    EXPECT_EQ(RgbOf(effects.Colours()[13]), lighting::Spectrum(0));
    EXPECT_EQ(RgbOf(effects.Colours()[1]), lighting::Spectrum(7));
    EXPECT_EQ(RgbOf(effects.Colours()[7]), lighting::Spectrum(42));  // group 6's third LED
    // One colour: the wave curve sets each group's brightness.
    effects.Apply(Settings(lighting::kMouseWave, false));
    effects.Step(0);
    const int index = (effects.Position() + 1) % 96;
    EXPECT_EQ(effects.Colours()[0].brightness, 255 * lighting::WaveCurve(index) / 256);
    EXPECT_EQ(RgbOf(effects.Colours()[0]), (lighting::Rgb{10, 20, 30}));
}

TEST(MouseLightEffects, ChaseRunsAroundTheRingAndRestartsWhenTheModeChanges) {
    MouseLightEffects effects;
    effects.Apply(Settings(lighting::kMouseChase, false));
    effects.Step(0);
    // Ring position 0 lit group 0, then moved on to position 1.
    EXPECT_GT(effects.KeyLevel(0), 0);
    EXPECT_EQ(effects.Ring().At(1), 1);
    EXPECT_GT(effects.Colours()[0].brightness, 0);
    EXPECT_EQ(effects.Colours()[0].brightness, effects.Colours()[13].brightness);
    effects.Step(0);
    EXPECT_GT(effects.KeyLevel(1), 0);
    effects.Apply(Settings(lighting::kMouseStatic, false));
    EXPECT_EQ(effects.KeyLevel(0), 0);
    EXPECT_EQ(effects.Ring().At(0), 1);
    effects.Step(0);
    for (int led = 0; led < lighting::kMouseLedCount; ++led)
        EXPECT_EQ(effects.Colours()[size_t(led)], (lighting::LedColour{10, 20, 30, 255}));
}

TEST(MouseLightEffects, FadeTriggerLightsEveryLedOnlyInTheFadeMode) {
    MouseLightEffects effects;
    effects.Apply(Settings(lighting::kMouseStatic, true));
    effects.TriggerFade();
    EXPECT_EQ(effects.KeyLevel(3), 0);
    effects.Apply(Settings(lighting::kMouseFade, false));
    effects.TriggerFade();
    effects.Step(0);  // at the top: falling from now on
    EXPECT_EQ(effects.KeyLevel(3), 255);
    effects.Step(0);
    EXPECT_EQ(effects.KeyLevel(3), 240);
    for (int i = 0; i < 20; ++i) effects.Step(0);
    EXPECT_EQ(effects.KeyLevel(14), 0);
}

TEST(MouseLightEffects, StepsArePacedInLightTicksAndTheProgramRunsEveryPass) {
    EXPECT_EQ(lighting::MouseStepThreshold(lighting::kMouseWave, 0), 8);
    EXPECT_EQ(lighting::MouseStepThreshold(lighting::kMouseWave, 4), 1);
    EXPECT_EQ(lighting::MouseStepThreshold(lighting::kMouseChase, 0), 16);
    EXPECT_EQ(lighting::MouseStepThreshold(lighting::kMouseChase, 9), 2);  // speed clamped
    EXPECT_EQ(lighting::MouseStepThreshold(12, 0), 0);
}

TEST_F(MouseDeviceTest, PreviewRestsWhileTheWindowIsHiddenAndPaintsWhenShown) {
    Connect(false);
    ASSERT_TRUE(mouse->PreviewRunning());
    Sleep(150);
    EXPECT_EQ(mouse->PreviewSteps(), 0u);  // hidden: nothing computed
    mouse->RefreshLights();
    auto* led = Find<TestKeyButton>("light_13");
    EXPECT_EQ(led->brightness, 255);  // still the page's first white: nothing painted
    mouse->SetWindowActive(true);
    ASSERT_TRUE(PumpUntil([&] { return mouse->PreviewSteps() > 2; }));
    // Wave at speed 2: a step every four light ticks, so no busy loop.
    const uint64_t steps = mouse->PreviewSteps();
    Sleep(200);
    EXPECT_LE(mouse->PreviewSteps() - steps, 200u / (4 * lighting::kLightTickMs) + 2);
    mouse->StopPreview();
    EXPECT_FALSE(mouse->PreviewRunning());
    mouse->RefreshLights();
    const lighting::LedColour shown = mouse->GetLedColour(13);
    EXPECT_EQ(led->colour, uint32_t(shown.red) << 16 | shown.green << 8 | shown.blue);
    EXPECT_EQ(led->brightness, shown.brightness);
}

TEST_F(MouseDeviceTest, FadeNotificationOnTheCableTriggersTheFade) {
    Connect(false);
    mouse->StopPreview();  // the levels stay as the trigger left them
    profiles::LightInfo info = mouse->Profile().GetLightInfo();
    info.selectItem = lighting::kMouseFade;
    mouse->Profile().SetLightInfo(info);
    mouse->ApplyProfileLighting();
    Cable().SendNotification(CQuorvaneMouseDevice::kCodeFade);
    ASSERT_TRUE(PumpUntil([&] { return mouse->PreviewLevel(0) == 255; }));
    EXPECT_EQ(mouse->PreviewLevel(14), 255);
}

}  // namespace
}  // namespace vivori::testing
