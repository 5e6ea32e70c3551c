#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "TestApplication.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/CRenderEngine.h"
#include "ui/qt/FileDialogs.h"
#include "ui/qt/MemoryFont.h"

using namespace vivori::ui;

namespace {

class RenderEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vivori::ui::testing::TestApplication();
        CPaintManagerUI::SetResourcePath(VIVORI_GALLERY_DIR);
        canvas.fill(Qt::black);
    }
    // Draws the gallery's button image tinted onto the black canvas.
    QColor Tinted(std::uint32_t tint, int level, bool on) {
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        CRenderEngine engine(painter, manager);
        EXPECT_TRUE(
            engine.DrawTintedImage({0, 0, 120, 30}, ParseImageString(kButton), tint, level, on));
        painter.end();
        return canvas.pixelColor(60, 15);
    }

    static constexpr const char* kButton = "file='button.png' source='0,0,120,30'";
    CPaintManagerUI manager;
    QImage canvas{120, 30, QImage::Format_ARGB32_Premultiplied};
};

}  // namespace

TEST_F(RenderEngineTest, TintWordIsRedThenBlueThenGreenAtTheLevelsBrightness) {
    QColor green = Tinted(0x00FF0000, 4, true);
    EXPECT_EQ(green.green(), 255);
    EXPECT_EQ(green.red(), 0);
    EXPECT_EQ(green.blue(), 0);
    QColor blue = Tinted(0x0000FF00, 4, true);
    EXPECT_EQ(blue.blue(), 255);
    EXPECT_EQ(blue.green(), 0);
    QColor red = Tinted(0x000000FF, 2, true);
    EXPECT_NEAR(red.red(), 135, 2) << "level 2 of the brightness table";
    EXPECT_EQ(Tinted(0x00FFFFFF, 0, true), QColor(Qt::black)) << "level 0 is dark";
    // Switched off, the image shows dimmed and untinted.
    QColor plain = QImage(VIVORI_GALLERY_DIR "/button.png").pixelColor(60, 15);
    QColor off = Tinted(0x00FF0000, 4, false);
    EXPECT_NEAR(off.red(), plain.red() * 0.3, 2);
    EXPECT_NEAR(off.green(), plain.green() * 0.3, 2);
}

TEST_F(RenderEngineTest, ImagesCutStretchAndRefuseWhatTheyCannotRead) {
    QPainter painter(&canvas);
    CRenderEngine engine(painter, manager);
    EXPECT_FALSE(engine.DrawImage({0, 0, 10, 10}, ParseImageString("missing.png")));
    EXPECT_FALSE(engine.DrawImage({0, 0, 10, 10}, ParseImageString("")));
    // dest places the picture inside the control; the rest stays as it was.
    EXPECT_TRUE(engine.DrawImage({0, 0, 120, 30}, ParseImageString("file='button.png' "
                                                                   "source='0,0,120,30' "
                                                                   "dest='100,0,120,30'")));
    painter.end();
    EXPECT_EQ(canvas.pixelColor(50, 15), QColor(Qt::black));
    EXPECT_NE(canvas.pixelColor(110, 15), QColor(Qt::black));
}

TEST_F(RenderEngineTest, TextFollowsAlignmentAndEllipsis) {
    QPainter painter(&canvas);
    CRenderEngine engine(painter, manager);
    UiSize wide = engine.MeasureText("WWWWWWWWWWWWWWWWWWWW", -1);
    EXPECT_GT(wide.cx, 120);
    engine.DrawText({0, 0, 120, 30}, "WWWWWWWWWWWWWWWWWWWW", 0xFFFFFFFF, -1,
                    kTextRight | kTextVCenter | kTextSingleLine | kTextEndEllipsis);
    painter.end();
    // Cut with an ellipsis, the text still starts at the left edge.
    int firstColumn = -1;
    for (int x = 0; x < 120 && firstColumn < 0; ++x) {
        for (int y = 0; y < 30; ++y) {
            if (canvas.pixelColor(x, y).red() > 128) {
                firstColumn = x;
                break;
            }
        }
    }
    EXPECT_GE(firstColumn, 0);
    EXPECT_LT(firstColumn, 10);
}

TEST(FileDialogFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter(std::string_view("Profile Files(*.json)\0*.json;\0", 31)),
              "Profile Files(*.json) (*.json)");
    EXPECT_EQ(QtFileFilter("(*.png) | *.png |(*.*)|*.*||"), "(*.png) (*.png);;(*.*) (*.*)");
    EXPECT_EQ(QtFileFilter(""), "");
}

TEST(FileDialogFilterTest, SavesGetTheFiltersExtensionAndDialogsStartAtHome) {
    EXPECT_EQ(DefaultSuffix("Profile Files(*.json)|*.json;|"), "json");
    EXPECT_EQ(DefaultSuffix("(*.*)|*.*||"), "");
    EXPECT_EQ(DefaultSuffix(""), "");
    EXPECT_EQ(WithDefaultSuffix("/h/Raid", "json"), "/h/Raid.json");
    EXPECT_EQ(WithDefaultSuffix("/h/Raid.JSON", "json"), "/h/Raid.JSON");
    EXPECT_EQ(WithDefaultSuffix("/h/v1.2/Raid", "json"), "/h/v1.2/Raid.json");
    EXPECT_EQ(WithDefaultSuffix("/h/Raid", ""), "/h/Raid");
    EXPECT_EQ(DialogStart("", "/home/u"), "/home/u");
    EXPECT_EQ(DialogStart("Raid.json", "/home/u"), "/home/u/Raid.json");
    EXPECT_EQ(DialogStart("/tmp/x.json", "/home/u"), "/tmp/x.json");
}

TEST(MemoryFontTest, AMissingFontFileIsReportedAndHarmless) {
    vivori::ui::testing::TestApplication();
    MemoryFont font("/nonexistent");
    EXPECT_FALSE(font.Load("Font\\Roboto-Regular.ttf"));
    EXPECT_FALSE(font.IsLoaded());
    EXPECT_EQ(font.Family(), "");
}
