#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "TestApplication.h"
#include "ui/core/CComboUI.h"
#include "ui/core/CEditUI.h"
#include "ui/core/CMenuWnd.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"
#include "ui/core/GalleryWindow.h"
#include "ui/qt/OffscreenSurface.h"
#include "ui/qt/QtWindowHost.h"
#include "ui/qt/WindowRendering.h"

using namespace vivori::ui;
using vivori::ui::testing::GalleryWindow;

namespace {

class GalleryOnScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vivori::ui::testing::TestApplication();
        InstallQtWindowHosts();
        vivori::ui::testing::UseGalleryResources();
        window = std::make_unique<GalleryWindow>();
        ASSERT_NE(window->Create(0, "gallery", WS_POPUP | WS_VISIBLE, 0), 0u);
        auto* host = dynamic_cast<QtWindowHost*>(window->Host());
        ASSERT_NE(host, nullptr);
        widget = host->Widget();
        QCoreApplication::processEvents();
        image = Render();
    }
    void TearDown() override {
        window.reset();
        SetWindowHostFactory({});
    }

    QImage Render() { return RenderWindow(window->PaintManager()); }
    const UiRect& Rect(std::string_view name) {
        CControlUI* control = window->PaintManager().FindControl(name);
        EXPECT_NE(control, nullptr) << name;
        static const UiRect none;
        return control != nullptr ? control->GetPos() : none;
    }
    // A pixel just inside the top-left corner, clear of borders and text.
    QRgb Inside(std::string_view name) {
        const UiRect& rect = Rect(name);
        return image.pixel(rect.left + 3, rect.top + 3) & 0xFFFFFF;
    }
    // Pixels in the rectangle that differ from the colour around them.
    int Marked(const UiRect& rect, QRgb background) {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) != background) ++count;
            }
        }
        return count;
    }

    // Mouse events at a point of the window, as the window system delivers them.
    void Mouse(QEvent::Type type, QPointF point, Qt::MouseButton button = Qt::LeftButton) {
        Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, point, widget->mapToGlobal(point), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
    void ClickAt(QPointF point) {
        Mouse(QEvent::MouseMove, point, Qt::NoButton);
        Mouse(QEvent::MouseButtonPress, point);
        Mouse(QEvent::MouseButtonRelease, point);
    }
    void Click(std::string_view name) {
        const UiRect& rect = Rect(name);
        ClickAt(QPointF((rect.left + rect.right) / 2.0, (rect.top + rect.bottom) / 2.0));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(widget, &release);
    }
    void Commit(const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(widget, &event);
    }

    std::unique_ptr<GalleryWindow> window;
    QWidget* widget = nullptr;
    QImage image;
};

constexpr QRgb kPageBackground = 0x17181C;
constexpr QRgb kAccent = 0xE0483E;
constexpr QRgb kButton = 0x2D2F36;

}  // namespace

TEST_F(GalleryOnScreenTest, RendersEveryKindOfControlIntoThePng) {
    std::string path = VIVORI_SCREENSHOT_DIR "/gallery.png";
    ASSERT_TRUE(SaveWindowPng(window->PaintManager(), path));
    QImage saved(QString::fromStdString(path));
    ASSERT_EQ(saved.size(), QSize(800, 572));
    image = saved;

    EXPECT_EQ(image.pixel(400, 4) & 0xFFFFFF, 0x101114u) << "caption bar";
    EXPECT_EQ(image.pixel(700, 540) & 0xFFFFFF, kPageBackground);
    EXPECT_EQ(Inside("accent_button"), kAccent) << "style colour";
    EXPECT_EQ(Inside("plain_button"), kButton) << "default attributes of Button";
    // The selected option of a group is drawn in its selected colour, the others not.
    EXPECT_EQ(Inside("tab_controls"), kAccent);
    EXPECT_EQ(Inside("tab_lists"), kButton);
    EXPECT_EQ(Inside("colour_red"), 0xB03030u);
    EXPECT_EQ(Inside("colour_green"), kButton);
    // The slider's filled part and the progress bar's.
    EXPECT_EQ(Inside("speed_slider"), kAccent);
    EXPECT_EQ(Inside("upload_progress"), 0x3E8E5Eu);

    // Text is drawn where labels are, and nothing in an empty stretch of page.
    const UiRect& label = Rect("plain_label");
    EXPECT_GT(Marked(label, kPageBackground), 40);
    const UiRect& progress = Rect("upload_progress");
    EXPECT_EQ(Marked({progress.right + 60, progress.top, progress.right + 200, progress.bottom},
                     kPageBackground),
              0);
    // The included row's image button shows the first state cut from its image.
    QImage button(VIVORI_GALLERY_DIR "/button.png");
    const UiRect& imageButton = Rect("image_button");
    ASSERT_FALSE(button.isNull());
    EXPECT_EQ(image.pixel(imageButton.left + 2, imageButton.top + 2), button.pixel(2, 2));
}

TEST_F(GalleryOnScreenTest, MouseOnTheWindowSelectsTabsAndOptions) {
    Click("tab_lists");
    Click("colour_blue");
    EXPECT_TRUE(window->Find<COptionUI>("tab_lists")->IsSelected());
    EXPECT_FALSE(window->Find<COptionUI>("tab_controls")->IsSelected());
    image = Render();
    EXPECT_EQ(Inside("tab_lists"), kAccent);
    EXPECT_EQ(Inside("tab_controls"), kButton);
    EXPECT_FALSE(window->Notes({"selectchanged"}).empty());

    // A press in the caption's empty part goes to no control.
    std::size_t before = window->notes.size();
    ClickAt(QPointF(400, 10));
    EXPECT_EQ(window->notes.size(), before);
}

TEST_F(GalleryOnScreenTest, ComboDropListAndSliderWorkThroughTheWindow) {
    const UiRect combo = Rect("mode_combo");
    Click("mode_combo");
    image = Render();
    // The drop list is drawn below the combo, over the rows beneath it.
    EXPECT_EQ(image.pixel(combo.left + 3, combo.bottom + 3) & 0xFFFFFF, 0x2A2C33u);
    ClickAt(QPointF(combo.left + 20, combo.bottom + 2 * 24 + 12));
    EXPECT_EQ(window->Find<CComboUI>("mode_combo")->GetText(), "Wave");
    EXPECT_FALSE(window->Notes({"itemselect"}).empty());
    image = Render();
    EXPECT_EQ(image.pixel(combo.left + 3, combo.bottom + 3) & 0xFFFFFF, kPageBackground)
        << "closed after the pick";

    const UiRect& slider = Rect("speed_slider");
    ClickAt(QPointF(slider.right - 2, (slider.top + slider.bottom) / 2.0));
    EXPECT_EQ(window->Find<CSliderUI>("speed_slider")->GetValue(), 4);
    EXPECT_FALSE(window->Notes({"valuechanged"}).empty());
}

TEST_F(GalleryOnScreenTest, TypingClipboardAndInputMethodReachTheFocusedEdit) {
    auto* name = window->Find<CEditUI>("name_edit");
    auto* number = window->Find<CEditUI>("number_edit");
    Click("name_edit");
    ASSERT_EQ(window->PaintManager().GetFocus(), name);
    Key(Qt::Key_End);
    Key(Qt::Key_Exclam, Qt::ShiftModifier, "!");
    Commit(QString::fromUtf8("é漢"));
    EXPECT_EQ(name->GetText(), "Profile 1!é漢");
    EXPECT_FALSE(window->Notes({"textchanged"}).empty());

    // Shift+Home selects back to the start; copy puts it on the clipboard.
    Key(Qt::Key_Home, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier, "\x03");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "Profile 1!é漢");
    EXPECT_EQ(name->GetText(), "Profile 1!é漢") << "control keys type nothing";

    // The number edit takes only digits, whichever way they come.
    Click("number_edit");
    ASSERT_EQ(window->PaintManager().GetFocus(), number);
    Key(Qt::Key_A, Qt::NoModifier, "a");
    Commit("x5");
    QGuiApplication::clipboard()->setText("7y");
    Key(Qt::Key_V, Qt::ControlModifier, "\x16");
    EXPECT_EQ(number->GetText(), "40057");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(number->GetText(), "4005");
}

TEST_F(GalleryOnScreenTest, AMenuIsAPopupWindowThatClosesWhenItLosesFocus) {
    auto* menu = new CMenuWnd;
    ASSERT_TRUE(menu->Init(
        window->GetHWND(),
        "<Window><Menu><MenuElement name=\"exit\" text=\"Exit\"/></Menu></Window>", {100, 100}));
    ASSERT_NE(FindWindow("MenuWnd", ""), 0u);
    auto* host = dynamic_cast<QtWindowHost*>(menu->Host());
    ASSERT_NE(host, nullptr);
    QWidget* popup = host->Widget();
    EXPECT_TRUE(popup->windowFlags().testFlag(Qt::Popup));
    EXPECT_TRUE(popup->isVisible());
    // A click elsewhere hides a popup; the menu then closes and goes away.
    popup->hide();
    PumpMessages();
    EXPECT_EQ(FindWindow("MenuWnd", ""), 0u);
}
