#include <gtest/gtest.h>

#include <vector>

#include "controls/CAudioRecordUI.h"
#include "controls/CCircleProgressUI.h"

namespace vivori::controls {
namespace {

// Keeps the shapes a control paints.
class ShapeRecorder : public ui::IRender {
  public:
    struct Pie {
        double start;
        double span;
    };
    void PushClip(const ui::UiRect&) override {}
    void PopClip() override {}
    void FillRect(const ui::UiRect&, ui::UiColor) override {}
    void DrawBorder(const ui::UiRect&, ui::UiColor, int, ui::UiSize) override {}
    void DrawLine(ui::UiPoint from, ui::UiPoint, ui::UiColor, int) override {
        lines.push_back(from);
    }
    void FillEllipse(const ui::UiRect& rect, ui::UiColor) override { ellipses.push_back(rect); }
    void FillPie(const ui::UiRect&, double start, double span, ui::UiColor) override {
        pies.push_back({start, span});
    }
    bool DrawImage(const ui::UiRect&, const ui::ImageDrawInfo&) override { return true; }
    bool DrawTintedImage(const ui::UiRect&, const ui::ImageDrawInfo&, std::uint32_t, int,
                         bool) override {
        return true;
    }
    void DrawText(const ui::UiRect&, std::string_view, ui::UiColor, int, unsigned) override {}
    ui::UiSize MeasureText(std::string_view, int) override { return {}; }

    std::vector<ui::UiPoint> lines;
    std::vector<ui::UiRect> ellipses;
    std::vector<Pie> pies;
};

ShapeRecorder PaintAt(ui::CControlUI& control, const ui::UiRect& rect) {
    control.SetPos(rect, false);
    ShapeRecorder recorder;
    control.DoPaint(recorder, rect);
    return recorder;
}

TEST(CircleProgressTest, QuarterRingFromTheBottomClockwiseAndNoSliceForAnEmptyRange) {
    CCircleProgressUI progress;
    progress.SetAttribute("bkcolor", "#FF202020");
    progress.SetValue(25);
    ShapeRecorder quarter = PaintAt(progress, {0, 0, 100, 100});
    ASSERT_EQ(quarter.pies.size(), 1u);
    EXPECT_EQ(quarter.pies[0].start, -90.0);
    EXPECT_EQ(quarter.pies[0].span, -90.0);
    ASSERT_EQ(quarter.ellipses.size(), 2u);
    EXPECT_EQ(quarter.ellipses[1], (ui::UiRect{10, 10, 90, 90}));

    progress.SetValue(0);
    EXPECT_TRUE(PaintAt(progress, {0, 0, 100, 100}).pies.empty());

    // Maximum equal to minimum would divide by zero: no slice, still the ring's disc.
    progress.SetMinValue(50);
    progress.SetMaxValue(50);
    progress.SetValue(50);
    EXPECT_EQ(progress.SweepDegrees(), 0.0);
    ShapeRecorder empty = PaintAt(progress, {0, 0, 100, 100});
    EXPECT_TRUE(empty.pies.empty());
    EXPECT_EQ(empty.ellipses.size(), 2u);
}

TEST(AudioRecordTest, LinesEverySecondPixelAndSamplesPastTheRampStartAtZero) {
    CAudioRecordUI view;
    EXPECT_EQ(view.Sample(255), 255);
    for (int i = CAudioRecordUI::kRampLength; i < CAudioRecordUI::kSampleCount; ++i)
        ASSERT_EQ(view.Sample(i), 0) << i;
    ShapeRecorder drawn = PaintAt(view, {0, 0, 300, 82});
    ASSERT_EQ(drawn.lines.size(), 150u);
    EXPECT_EQ(drawn.lines[149].x, 298);
    // Sample 0 sits on the bottom; a zero sample's line starts at the bottom edge.
    EXPECT_EQ(drawn.lines[0].y, 82);
}

}  // namespace
}  // namespace vivori::controls
