// Key caps repainted over a kept layer of what lies under them must give the very
// pixels a full repaint gives, whatever changed under them, over them or around them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRegion>

#include "TestApplication.h"
#include "ui/core/CButtonUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CVerticalLayoutUI.h"
#include "ui/qt/WindowRendering.h"

using namespace vivori::ui;

namespace {

constexpr int kKeys = 4;

class UnderlayPaintTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        vivori::ui::testing::TestApplication();
        CPaintManagerUI::SetResourcePath(VIVORI_GALLERY_DIR);
        manager.SetDPI(GetParam());
        manager.SetInitSize({200, 80});
        auto* root = new CVerticalLayoutUI;
        root->SetBkColor(0xFF17181C);
        root->SetBkImage("file='button.png' source='0,0,120,30'");
        root->SetInset({4, 4, 4, 4});
        panel = new CVerticalLayoutUI;
        panel->SetBkColor(0x80304050);
        panel->SetBorderColor(0xFF8090A0);
        panel->SetBorderSize(1);
        root->Add(panel);
        // A cap with its legend and, laid on it, its light: as the keyboard picture has.
        for (int i = 0; i < kKeys; ++i) {
            const int left = 6 + i * 33;
            caps[i] = LivelyKey(left, 0xFF2D2F36, "K");
            lights[i] = LivelyKey(left, 0, "");
            lights[i]->SetBorderSize(2);
            lights[i]->SetBorderColor(0xFFFF0000);
        }
        manager.AttachDialog(root);
        manager.SetInvalidateHandler([this](const UiRect& rect) {
            pending += RepaintPixels(rect, WindowScale(manager));
        });
        screen = RenderWindow(manager);
        pending = QRegion();
    }

    CButtonUI* LivelyKey(int left, UiColor background, const char* text) {
        auto* key = new CButtonUI;
        key->SetFloat(true);
        key->SetFloatPos({left, 6, left + 29, 35});
        key->SetBkColor(background);
        key->SetText(text);
        key->SetTextColor(0xFFE6E6E6);
        key->SetLively(true);
        panel->Add(key);
        return key;
    }

    // What a window does with its dirty region: paints just that, over what it showed.
    void Repaint() {
        QPainter painter(&screen);
        painter.setClipRegion(pending);
        PaintWindowContent(painter, manager, pending);
        pending = QRegion();
    }

    // The repainted picture against one painted whole from scratch.
    void ExpectSameAsFullPaint(const char* after) {
        Repaint();
        const QImage whole = RenderWindow(manager);
        ASSERT_EQ(screen.size(), whole.size());
        int differing = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                if (screen.pixel(x, y) != whole.pixel(x, y)) ++differing;
        EXPECT_EQ(differing, 0) << "pixels differ after " << after;
        screen = whole;
    }

    std::uint64_t LayerPaints() const { return manager.Underlays().LayerPaints(); }

    CPaintManagerUI manager;
    CVerticalLayoutUI* panel = nullptr;
    CButtonUI* caps[kKeys] = {};
    CButtonUI* lights[kKeys] = {};
    QImage screen;
    QRegion pending;
};

}  // namespace

TEST_P(UnderlayPaintTest, LightStepsPaintFromTheLayerAndMatchAFullRepaint) {
    const UiColor steps[] = {0xFF00FF00, 0xFF0000FF, 0x80FFFF00};
    for (UiColor colour : steps) {
        for (CButtonUI* light : lights) light->SetBorderColor(colour);
        ExpectSameAsFullPaint("a light step");
    }
    EXPECT_EQ(manager.Underlays().Captures(), std::uint64_t(kKeys)) << "one layer per key";
    EXPECT_GE(LayerPaints(), std::uint64_t(3 * kKeys)) << "every step painted from the layers";
}

TEST_P(UnderlayPaintTest, ChangesUnderOverOrAroundTheKeysAreNeverHiddenByAnOldLayer) {
    lights[1]->SetBorderColor(0xFF00FF00);
    ExpectSameAsFullPaint("the first step");

    // The cap under the light (hovered, a new legend) is in the light's layer.
    caps[1]->SetBkColor(0xFF3B3E47);
    caps[1]->SetText("Q");
    lights[1]->SetBorderColor(0xFF0000FF);
    ExpectSameAsFullPaint("the cap under the light changed");
    lights[1]->SetBorderColor(0xFFFFFFFF);
    ExpectSameAsFullPaint("the next step over the new cap");

    // The panel behind the keys.
    panel->SetBkColor(0xFF402020);
    lights[1]->SetBorderColor(0xFF00FFFF);
    ExpectSameAsFullPaint("the panel changed");
    lights[1]->SetBorderColor(0xFFFF00FF);
    ExpectSameAsFullPaint("the next step over the new panel");

    // A disabled panel lays a veil over the keys: painted through the tree, not a layer.
    panel->SetEnabled(false);
    ExpectSameAsFullPaint("the panel was disabled");
    const std::uint64_t before = LayerPaints();
    lights[2]->SetBorderColor(0xFF123456);
    ExpectSameAsFullPaint("a step under the veil");
    EXPECT_EQ(LayerPaints(), before) << "nothing is painted over a veil from a layer";
    panel->SetEnabled(true);
    ExpectSameAsFullPaint("the panel was enabled again");

    // A hidden light, and a key taken out of the picture.
    lights[3]->SetVisible(false);
    ExpectSameAsFullPaint("a light was hidden");
    lights[3]->SetBorderColor(0xFF00FF00);
    ExpectSameAsFullPaint("a hidden light stepped");
    panel->Remove(lights[0]);
    lights[1]->SetBorderColor(0xFF808080);
    ExpectSameAsFullPaint("a light was removed");

    // A relayout moves everything: the next step is painted where the keys are now.
    panel->SetInset({20, 10, 0, 0});
    manager.LayoutIfNeeded();
    screen = RenderWindow(manager);
    pending = QRegion();
    lights[2]->SetBorderColor(0xFF00FF80);
    ExpectSameAsFullPaint("the keys moved");
}

INSTANTIATE_TEST_SUITE_P(AtScale, UnderlayPaintTest, ::testing::Values(96, 144),
                         [](const auto& info) { return info.param == 96 ? "100" : "150"; });
