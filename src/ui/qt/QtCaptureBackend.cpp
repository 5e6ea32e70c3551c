#include "ui/qt/QtCaptureBackend.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "input/ScanCodes.h"
#include "macros/KeyCodeTable.h"
#include "platform/Time.h"
#include "ui/core/WindowImplBase.h"
#include "ui/qt/HostWidget.h"
#include "ui/qt/VirtualKeys.h"

namespace vivori::ui {
namespace {

bool MouseMessage(const QMouseEvent& event, std::uint32_t& message, std::uint16_t& extra) {
    const bool press = event.type() != QEvent::MouseButtonRelease;
    extra = 0;
    switch (event.button()) {
        case Qt::LeftButton:
            message = press ? input::kLeftDown : input::kLeftUp;
            return true;
        case Qt::RightButton:
            message = press ? input::kRightDown : input::kRightUp;
            return true;
        case Qt::MiddleButton:
            message = press ? input::kMiddleDown : input::kMiddleUp;
            return true;
        case Qt::BackButton:
            extra = input::kExtraButtonBack;
            break;
        case Qt::ForwardButton:
            extra = input::kExtraButtonForward;
            break;
        default:
            return false;
    }
    message = press ? input::kExtraDown : input::kExtraUp;
    return true;
}

}  // namespace

QWidget* WidgetOfWindow(HWND window) {
    if (window == 0) return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* host = dynamic_cast<HostWidget*>(widget))
            if (host->Window() && host->Window()->GetHWND() == window) return host;
    return nullptr;
}

QtCaptureBackend::QtCaptureBackend() = default;

QtCaptureBackend::~QtCaptureBackend() {
    StopKeyboard();
    StopMouse();
}

bool QtCaptureBackend::FocusOnlyDesktop() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

std::string QtCaptureBackend::TakeNotice() {
    static bool given = false;
    if (given || !FocusOnlyDesktop()) return {};
    given = true;
    return "macro_wayland_notice_text";
}

bool QtCaptureBackend::StartKeyboard(HWND window, input::KeySink sink) {
    QWidget* widget = WidgetOfWindow(window);
    if (widget == nullptr || !sink) return false;
    StopKeyboard();
    key_ = std::move(sink);
    keyWidget_ = widget;
    anchored_ = false;
    if (!FocusOnlyDesktop()) widget->grabKeyboard();
    UpdateFilter();
    return true;
}

void QtCaptureBackend::StopKeyboard() {
    if (keyWidget_ && QWidget::keyboardGrabber() == keyWidget_) keyWidget_->releaseKeyboard();
    keyWidget_ = nullptr;
    key_ = nullptr;
    UpdateFilter();
}

bool QtCaptureBackend::StartMouse(HWND window, input::MouseSink sink) {
    QWidget* widget = WidgetOfWindow(window);
    if (widget == nullptr || !sink) return false;
    StopMouse();
    mouse_ = std::move(sink);
    mouseWidget_ = widget;
    if (!FocusOnlyDesktop()) widget->grabMouse();
    UpdateFilter();
    return true;
}

void QtCaptureBackend::StopMouse() {
    if (mouseWidget_ && QWidget::mouseGrabber() == mouseWidget_) mouseWidget_->releaseMouse();
    mouseWidget_ = nullptr;
    mouse_ = nullptr;
    UpdateFilter();
}

void QtCaptureBackend::UpdateFilter() {
    const bool wanted = key_ || mouse_;
    if (wanted == filtering_ || QCoreApplication::instance() == nullptr) return;
    if (wanted)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
    filtering_ = wanted;
}

std::uint32_t QtCaptureBackend::Stamp(std::uint64_t eventTime) {
    const std::int64_t now = static_cast<std::int64_t>(GetTickCount64());
    // Synthetic events carry no time of their own.
    if (eventTime == 0) return static_cast<std::uint32_t>(now);
    if (!anchored_) {
        offset_ = now - static_cast<std::int64_t>(eventTime);
        anchored_ = true;
    }
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(eventTime) + offset_);
}

bool QtCaptureBackend::eventFilter(QObject* watched, QEvent* event) {
    // A key or button event visits the Qt window first and then the widget; taking it
    // at the widget alone reports it once.
    if (!watched->isWidgetType()) return false;
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return key_ ? OnKey(event) : false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (mouse_) OnMouse(event);
            return false;
        default:
            return false;
    }
}

bool QtCaptureBackend::OnKey(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    // A held key repeats on X11 as release-press pairs marked as repeats: holding it
    // is one press and one release, so the repeats are swallowed unseen.
    if (key->isAutoRepeat()) return true;
    input::KeyHookRecord record;
    if (auto scan = input::ScanCodeFromNative(key->nativeScanCode())) {
        record.scanCode = scan->code;
        record.flags = scan->extended ? input::kExtendedFlag : 0;
        if (auto row = macros::FindKeyByScanCode(scan->code, scan->extended))
            record.vkCode = macros::KeyCodeTable()[*row].virtualKey;
    }
    if (record.vkCode == 0) record.vkCode = VirtualKeyFromQt(key->key());
    record.time = Stamp(key->timestamp());
    const std::uint32_t message =
        event->type() == QEvent::KeyPress ? input::kKeyDown : input::kKeyUp;
    // A copy: the sink may end the capture while it runs.
    input::KeySink sink = key_;
    return !sink(message, record);
}

void QtCaptureBackend::OnMouse(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    std::uint32_t message = 0;
    std::uint16_t extra = 0;
    if (!MouseMessage(*mouse, message, extra)) return;
    input::MouseHookRecord record;
    const QPoint global = mouse->globalPosition().toPoint();
    record.x = global.x();
    record.y = global.y();
    record.mouseData = static_cast<std::uint32_t>(extra) << 16;
    record.time = Stamp(mouse->timestamp());
    input::MouseSink sink = mouse_;
    sink(message, record);
}

void InstallQtCaptureBackend() {
    input::SetDefaultCaptureBackend([] { return std::make_shared<QtCaptureBackend>(); });
}

}  // namespace vivori::ui
