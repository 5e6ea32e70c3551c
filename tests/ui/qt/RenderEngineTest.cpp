#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <functional>

#include "TestApplication.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/CRenderEngine.h"
#include "ui/qt/FileDialogs.h"
#include "ui/qt/ImageCache.h"
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

// Labels and rounded borders come from the cache after their first drawing: the
// same pixels as drawn straight onto the canvas, each text and colour its own, and
// a border is left out only where the clip cannot reach it.
TEST_F(RenderEngineTest, CachedLabelsAndBordersDrawTheDirectPixels) {
    auto draw = [&](const std::function<void(CRenderEngine&)>& paint) {
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        CRenderEngine engine(painter, manager);
        paint(engine);
        painter.end();
        return canvas.copy();
    };
    auto direct = [&](const std::function<void(QPainter&)>& paint) {
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        paint(painter);
        painter.end();
        return canvas.copy();
    };
    const unsigned style = kTextCenter | kTextVCenter | kTextSingleLine;
    auto text = [&](std::string_view shown, UiColor colour) {
        return draw([&](CRenderEngine& e) {
            e.DrawText({10, 5, 60, 25}, shown, colour, -1, style);
        });
    };
    const QImage label = text("Esc", 0xFFFFFFFF);
    const QImage again = text("Esc", 0xFFFFFFFF);
    const QImage straight = direct([&](QPainter& p) {
        CRenderEngine engine(p, manager);
        p.setFont(engine.FontFor(-1));
        p.setPen(QColor(Qt::white));
        p.drawText(QRect(10, 5, 50, 20), Qt::AlignHCenter | Qt::AlignVCenter, "Esc");
    });
    EXPECT_EQ(label, straight);
    EXPECT_EQ(again, straight);
    EXPECT_NE(text("Tab", 0xFFFFFFFF), label);
    EXPECT_NE(text("Esc", 0xFFFF0000), label);

    const QImage border = draw([&](CRenderEngine& e) {
        e.DrawBorder({4, 2, 44, 28}, 0xFF40C0FF, 2, {8, 8});
    });
    const QImage stroked = direct([&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x40, 0xC0, 0xFF), 2));
        p.drawRoundedRect(QRectF(5, 3, 38, 24), 4, 4);
    });
    EXPECT_EQ(border, stroked);
    // A clip well inside the border: nothing of it to draw. One across its edge: drawn.
    const QImage inside = draw([&](CRenderEngine& e) {
        e.PushClip({15, 10, 30, 20});
        e.DrawBorder({4, 2, 44, 28}, 0xFF40C0FF, 2, {8, 8});
        e.PopClip();
    });
    EXPECT_EQ(inside, direct([](QPainter&) {}));
    const QImage acrossEdge = draw([&](CRenderEngine& e) {
        e.PushClip({0, 0, 20, 20});
        e.DrawBorder({4, 2, 44, 28}, 0xFF40C0FF, 2, {8, 8});
        e.PopClip();
    });
    QImage cornerOnly = direct([](QPainter&) {});
    QPainter corner(&cornerOnly);
    corner.drawImage(0, 0, stroked.copy(0, 0, 20, 20));
    corner.end();
    EXPECT_EQ(acrossEdge, cornerOnly);
}

// A large picture of few colours is kept as indexes into its colours, with the very
// pixels it was read with; one of many colours stays as it was read.
TEST_F(RenderEngineTest, LargePicturesOfFewColoursAreKeptCompactWithTheirPixels) {
    const std::string folder = ::testing::TempDir();
    QImage few(400, 300, QImage::Format_ARGB32);
    QImage many(400, 300, QImage::Format_ARGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const QRgb part = x < 100   ? qRgba(20, 30, 40, 255)
                              : y < 150 ? qRgba(200, 10, 10, 128)
                                        : 0;
            few.setPixel(x, y, part);
            many.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        }
    ASSERT_TRUE(few.save(QString::fromStdString(folder + "/few.png")));
    ASSERT_TRUE(many.save(QString::fromStdString(folder + "/many.png")));
    const QImage* compact = ImageCache::Instance().Get(folder + "/few.png");
    ASSERT_NE(compact, nullptr);
    EXPECT_EQ(compact->format(), QImage::Format_Indexed8);
    EXPECT_EQ(compact->convertToFormat(QImage::Format_ARGB32_Premultiplied),
              few.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const QImage* plain = ImageCache::Instance().Get(folder + "/many.png");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->format(), QImage::Format_ARGB32_Premultiplied);
    // Drawn, the compact one gives the pixels the full one would.
    QImage drawn(400, 300, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::darkGreen);
    QImage expected = drawn;
    {
        QPainter painter(&drawn);
        CRenderEngine engine(painter, manager);
        engine.DrawImage({0, 0, 400, 300}, ParseImageString("file='" + folder + "/few.png'"));
        QPainter reference(&expected);
        reference.drawImage(0, 0, few.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    EXPECT_EQ(drawn, expected);
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
