#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "TestApplication.h"
#include "input/HookTypes.h"
#include "platform/Time.h"
#include "ui/core/GalleryWindow.h"
#include "ui/qt/QtCaptureBackend.h"
#include "ui/qt/QtWindowHost.h"

using namespace vivori;
using namespace vivori::ui;

namespace {

class CaptureBackendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        vivori::ui::testing::TestApplication();
        InstallQtWindowHosts();
        vivori::ui::testing::UseGalleryResources();
        window = std::make_unique<vivori::ui::testing::GalleryWindow>();
        ASSERT_NE(window->Create(0, "gallery", WS_POPUP | WS_VISIBLE, 0), 0u);
        widget = WidgetOfWindow(window->GetHWND());
        ASSERT_NE(widget, nullptr);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        backend.reset();
        window.reset();
        SetWindowHostFactory({});
    }
    // A key as the desktop delivers it: native code = evdev code + 8, and its time.
    void Key(QEvent::Type type, int qtKey, quint32 evdev, ulong time, bool post = false,
             bool autoRepeat = false) {
        auto* event = new QKeyEvent(type, qtKey, Qt::NoModifier, evdev + 8, 0, 0, QString(),
                                    autoRepeat);
        event->setTimestamp(time);
        if (post) {
            QCoreApplication::postEvent(widget, event);
        } else {
            QCoreApplication::sendEvent(widget, event);
            delete event;
        }
    }

    std::unique_ptr<vivori::ui::testing::GalleryWindow> window;
    QWidget* widget = nullptr;
    std::unique_ptr<QtCaptureBackend> backend = std::make_unique<QtCaptureBackend>();
    std::vector<std::pair<uint32_t, input::KeyHookRecord>> keys;
    input::KeySink sink = [this](uint32_t message, const input::KeyHookRecord& record) {
        keys.emplace_back(message, record);
        return input::IsLockKey(record.vkCode);
    };
};

TEST_F(CaptureBackendTest, GrabsTheKeyboardAndSwallowsAllButTheLockKeys) {
    ASSERT_TRUE(backend->StartKeyboard(window->GetHWND(), sink));
    EXPECT_EQ(QWidget::keyboardGrabber(), widget);
    Key(QEvent::KeyPress, Qt::Key_A, 30, 0);
    Key(QEvent::KeyRelease, Qt::Key_A, 30, 0);
    Key(QEvent::KeyPress, Qt::Key_Enter, 96, 0);  // keypad Enter: extended
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].first, input::kKeyDown);
    EXPECT_EQ(keys[1].first, input::kKeyUp);
    EXPECT_EQ(keys[0].second.scanCode, 0x1Eu);
    EXPECT_EQ(keys[0].second.vkCode, 0x41u);
    EXPECT_EQ(keys[2].second.scanCode, 0x1Cu);
    EXPECT_TRUE(keys[2].second.Extended());

    // The filter's answer: swallowed keys stop, Caps Lock goes on to the window.
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0);
    QKeyEvent caps(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier, 58 + 8, 0, 0);
    EXPECT_TRUE(backend->eventFilter(widget, &a));
    EXPECT_FALSE(backend->eventFilter(widget, &caps));

    backend->StopKeyboard();
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    Key(QEvent::KeyPress, Qt::Key_A, 30, 0);
    EXPECT_EQ(keys.size(), 5u);  // only the two given to the filter directly
}

TEST_F(CaptureBackendTest, AKeyHeldDownIsOnePressAndOneReleaseThroughItsRepeats) {
    ASSERT_TRUE(backend->StartKeyboard(window->GetHWND(), sink));
    Key(QEvent::KeyPress, Qt::Key_A, 30, 1000);
    // X11's auto-repeat: release and press again every 40 ms while the key is held.
    for (ulong t = 1500; t < 2000; t += 40) {
        Key(QEvent::KeyRelease, Qt::Key_A, 30, t, false, true);
        Key(QEvent::KeyPress, Qt::Key_A, 30, t, false, true);
    }
    Key(QEvent::KeyRelease, Qt::Key_A, 30, 2100);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].first, input::kKeyDown);
    EXPECT_EQ(keys[1].first, input::kKeyUp);
    EXPECT_EQ(keys[1].second.time - keys[0].second.time, 1100u);
    backend->StopKeyboard();
}

TEST_F(CaptureBackendTest, MouseButtonsAreReportedWithTheExtraButtonNumberAndGoOn) {
    std::vector<std::pair<uint32_t, input::MouseHookRecord>> clicks;
    ASSERT_TRUE(backend->StartMouse(
        window->GetHWND(),
        [&](uint32_t m, const input::MouseHookRecord& r) { clicks.emplace_back(m, r); }));
    EXPECT_EQ(QWidget::mouseGrabber(), widget);
    QMouseEvent back(QEvent::MouseButtonPress, QPointF(5, 6), widget->mapToGlobal(QPointF(5, 6)),
                     Qt::BackButton, Qt::BackButton, Qt::NoModifier);
    EXPECT_FALSE(backend->eventFilter(widget, &back));
    QMouseEvent left(QEvent::MouseButtonRelease, QPointF(5, 6), widget->mapToGlobal(QPointF(5, 6)),
                     Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    backend->eventFilter(widget, &left);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].first, input::kExtraDown);
    EXPECT_EQ(clicks[0].second.ExtraButton(), input::kExtraButtonBack);
    EXPECT_EQ(clicks[1].first, input::kLeftUp);
    EXPECT_EQ(clicks[1].second.x, widget->mapToGlobal(QPoint(5, 6)).x());
    backend->StopMouse();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(CaptureBackendTest, DelaysFollowTheEventTimesWhenTheUiThreadIsBusy) {
    ASSERT_TRUE(backend->StartKeyboard(window->GetHWND(), sink));
    // Both keys wait in the queue while the UI thread works.
    Key(QEvent::KeyPress, Qt::Key_A, 30, 50000, true);
    Key(QEvent::KeyRelease, Qt::Key_A, 30, 50120, true);
    Sleep(300);
    QCoreApplication::processEvents();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1].second.time - keys[0].second.time, 120u);
    // The first event is placed on the tick clock when it is handled.
    EXPECT_LE(keys[0].second.time, GetTickCount());
    backend->StopKeyboard();
}

}  // namespace
