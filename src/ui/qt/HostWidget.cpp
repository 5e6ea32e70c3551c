#include "ui/qt/HostWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>

#include "ui/core/CEditUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/WindowImplBase.h"
#include "ui/message/Messages.h"
#include "ui/qt/VirtualKeys.h"
#include "ui/qt/WindowRendering.h"

namespace vivori::ui {
namespace {

// Mouse key-state bits of the mouse messages.
constexpr std::uintptr_t kMkLeft = 0x01;
constexpr std::uintptr_t kMkRight = 0x02;
constexpr std::uintptr_t kMkShift = 0x04;
constexpr std::uintptr_t kMkControl = 0x08;

constexpr UINT kActivateInactive = 0;
constexpr UINT kActivateActive = 1;

std::intptr_t PackPoint(UiPoint point) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(point.y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(point.x & 0xFFFF));
}

std::uintptr_t MouseKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uintptr_t state = 0;
    if (buttons & Qt::LeftButton) state |= kMkLeft;
    if (buttons & Qt::RightButton) state |= kMkRight;
    if (modifiers & Qt::ShiftModifier) state |= kMkShift;
    if (modifiers & Qt::ControlModifier) state |= kMkControl;
    return state;
}

unsigned KeyState(Qt::KeyboardModifiers modifiers) {
    unsigned state = 0;
    if (modifiers & Qt::ShiftModifier) state |= kModShift;
    if (modifiers & Qt::ControlModifier) state |= kModControl;
    return state;
}

// Controls that take the mouse themselves, so a press on them in the caption area
// does not move the window.
bool IsInteractive(CControlUI* control) {
    for (const char* name :
         {"Button", "Option", "Edit", "Combo", "Slider", "ScrollBar", "ListItem", "ColorPalette"}) {
        if (control->GetInterface(name) != nullptr) return true;
    }
    return false;
}

}  // namespace

HostWidget::HostWidget(WindowImplBase& window, bool popup)
    : QWidget(nullptr,
              popup ? Qt::Popup | Qt::FramelessWindowHint : Qt::Window | Qt::FramelessWindowHint),
      window_(&window),
      popup_(popup) {
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

double HostWidget::Scale() const {
    return window_ ? WindowScale(window_->PaintManager()) : 1.0;
}

UiPoint HostWidget::ToLayout(QPointF position) const {
    double scale = Scale();
    return {static_cast<int>(std::floor(position.x() / scale)),
            static_cast<int>(std::floor(position.y() / scale))};
}

void HostWidget::InvalidateLayoutRect(const UiRect& rect) {
    // A root with an opaque background covers every pixel it repaints: Qt need not
    // fill the area first (for the light preview, a hundred small fills a picture).
    const CControlUI* root = window_ != nullptr ? window_->PaintManager().GetRoot() : nullptr;
    const bool opaque = root != nullptr && root->IsVisible() && (root->GetBkColor() >> 24) == 0xFF;
    if (opaque != testAttribute(Qt::WA_OpaquePaintEvent))
        setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    update(RepaintPixels(rect, Scale()));
}

void HostWidget::Send(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (window_ != nullptr) SendMessage(window_->GetHWND(), msg, wParam, lParam);
}

void HostWidget::SendMouse(unsigned msg, QMouseEvent* event) {
    Send(msg, MouseKeyState(event->buttons(), event->modifiers()),
         PackPoint(ToLayout(event->position())));
}

void HostWidget::paintEvent(QPaintEvent* event) {
    if (window_ == nullptr) return;
    QPainter painter(this);
    // The light preview repaints many small key caps at the screen's rate. One pass
    // over their bounding box would draw every control behind them through a clip of
    // many rectangles, row by row (which the raster engine hands to its thread pool):
    // each rectangle on its own draws only what is in it.
    const QRegion& region = event->region();
    if (region.rectCount() > kMaxPaintRects)
        PaintWindowContent(painter, window_->PaintManager(), event->rect());
    else
        PaintWindowContent(painter, window_->PaintManager(), region);
}

void HostWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (window_ == nullptr) return;
    double scale = Scale();
    auto width = static_cast<std::uint32_t>(std::lround(event->size().width() / scale));
    auto height = static_cast<std::uint32_t>(std::lround(event->size().height() / scale));
    Send(WM_SIZE, 0, static_cast<std::intptr_t>(((height & 0xFFFF) << 16) | (width & 0xFFFF)));
}

bool HostWidget::InCaption(UiPoint point) const {
    const CPaintManagerUI& manager = window_->PaintManager();
    // Right and bottom of the caption rectangle are margins from the right edge and the
    // caption's height, as layouts write them.
    const UiRect& caption = manager.GetCaptionRect();
    UiSize client = manager.GetClientSize();
    if (point.x < caption.left || point.x >= client.cx - caption.right) return false;
    if (point.y < caption.top || point.y >= caption.bottom) return false;
    CControlUI* control = window_->PaintManager().FindControl(point);
    return control == nullptr || !IsInteractive(control);
}

void HostWidget::mousePressEvent(QMouseEvent* event) {
    if (window_ == nullptr) return;
    UiPoint point = ToLayout(event->position());
    if (event->button() == Qt::LeftButton && InCaption(point)) {
        // The window manager moves the window when it can; otherwise follow the mouse.
        if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) {
            dragging_ = true;
            dragStart_ = event->globalPosition().toPoint();
            windowStart_ = pos();
        }
        return;
    }
    if (event->button() == Qt::LeftButton) SendMouse(WM_LBUTTONDOWN, event);
    if (event->button() == Qt::RightButton) SendMouse(WM_RBUTTONDOWN, event);
}

void HostWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        return;
    }
    if (event->button() == Qt::LeftButton) SendMouse(WM_LBUTTONUP, event);
    if (event->button() == Qt::RightButton) SendMouse(WM_RBUTTONUP, event);
}

void HostWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) SendMouse(WM_LBUTTONDBLCLK, event);
    if (event->button() == Qt::RightButton) SendMouse(WM_RBUTTONDOWN, event);
}

void HostWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(windowStart_ + event->globalPosition().toPoint() - dragStart_);
        return;
    }
    SendMouse(WM_MOUSEMOVE, event);
    UpdateCursor();
}

void HostWidget::UpdateCursor() {
    if (window_ == nullptr) return;
    CControlUI* hover = window_->PaintManager().GetHover();
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (hover != nullptr && hover->IsEnabled()) {
        const std::string& wanted = hover->GetCursor();
        if (wanted == "hand") {
            shape = Qt::PointingHandCursor;
        } else if (wanted == "ibeam" ||
                   (wanted.empty() && hover->GetInterface("Edit") != nullptr)) {
            shape = Qt::IBeamCursor;
        }
    }
    if (cursor().shape() != shape) setCursor(shape);
}

bool HostWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && window_ != nullptr) {
        // The tooltip of the control under the mouse; a language key shows its text.
        auto* help = static_cast<QHelpEvent*>(event);
        CControlUI* control = window_->PaintManager().FindControl(ToLayout(help->pos()));
        std::string tip = control != nullptr ? control->GetToolTip() : std::string();
        if (tip.empty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(
                help->globalPos(),
                QString::fromStdString(CResourceManager::GetInstance().ResolveText(tip)), this);
        }
        return true;
    }
    return QWidget::event(event);
}

void HostWidget::wheelEvent(QWheelEvent* event) {
    if (window_ == nullptr) return;
    Send(WM_MOUSEMOVE, MouseKeyState(event->buttons(), event->modifiers()),
         PackPoint(ToLayout(event->position())));
    auto delta = static_cast<std::uint16_t>(static_cast<std::int16_t>(event->angleDelta().y()));
    Send(WM_MOUSEWHEEL,
         (static_cast<std::uintptr_t>(delta) << 16) |
             MouseKeyState(event->buttons(), event->modifiers()),
         PackPoint(ToLayout(event->position())));
}

void HostWidget::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    // The pointer over the window counts as use, as focus does.
    Send(WM_MOUSEHOVER, 0, 0);
}

void HostWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    Send(WM_MOUSELEAVE, 0, 0);
}

CEditUI* HostWidget::FocusedEdit() const {
    if (window_ == nullptr) return nullptr;
    CControlUI* focus = window_->PaintManager().GetFocus();
    return focus != nullptr ? static_cast<CEditUI*>(focus->GetInterface("Edit")) : nullptr;
}

bool HostWidget::HandleClipboardKey(QKeyEvent* event, CEditUI& edit) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->matches(QKeySequence::SelectAll)) {
        edit.SetSelAll();
    } else if (event->matches(QKeySequence::Copy)) {
        if (clipboard != nullptr)
            clipboard->setText(QString::fromStdString(edit.GetSelectedText()));
    } else if (event->matches(QKeySequence::Cut)) {
        if (clipboard != nullptr)
            clipboard->setText(QString::fromStdString(edit.GetSelectedText()));
        edit.InsertText("");
    } else if (event->matches(QKeySequence::Paste)) {
        if (clipboard != nullptr) edit.InsertText(clipboard->text().toStdString());
    } else {
        return false;
    }
    return true;
}

void HostWidget::keyPressEvent(QKeyEvent* event) {
    if (window_ == nullptr) return;
    CPaintManagerUI& manager = window_->PaintManager();
    if (CEditUI* edit = FocusedEdit(); edit != nullptr && HandleClipboardKey(event, *edit)) {
        manager.ProcessDelayedCleanup();
        return;
    }
    std::uint32_t key = VirtualKeyFromQt(event->key());
    if (key != 0) manager.HandleKeyDown(key, KeyState(event->modifiers()));
    // Typed characters follow the key, as WM_CHAR follows WM_KEYDOWN; control keys
    // and shortcuts type nothing.
    if (window_ == nullptr || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    for (char32_t c : event->text().toStdU32String()) {
        if (c >= 0x20 && c != 0x7F) manager.HandleChar(static_cast<std::uint32_t>(c));
    }
}

void HostWidget::keyReleaseEvent(QKeyEvent* event) {
    if (window_ == nullptr) return;
    std::uint32_t key = VirtualKeyFromQt(event->key());
    if (key != 0) window_->PaintManager().HandleKeyUp(key, KeyState(event->modifiers()));
}

void HostWidget::inputMethodEvent(QInputMethodEvent* event) {
    // Only the committed text is typed; what the input method is still composing stays
    // in its own window.
    CEditUI* edit = FocusedEdit();
    if (edit != nullptr && !event->commitString().isEmpty()) {
        edit->InsertText(event->commitString().toStdString());
        window_->PaintManager().ProcessDelayedCleanup();
    }
    event->accept();
}

QVariant HostWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
    CEditUI* edit = FocusedEdit();
    switch (query) {
        case Qt::ImEnabled:
            return edit != nullptr && !edit->IsReadOnly();
        case Qt::ImCursorRectangle:
        case Qt::ImAnchorRectangle:
            if (edit != nullptr) {
                double scale = Scale();
                const UiRect& pos = edit->GetPos();
                return QRect(static_cast<int>(pos.left * scale), static_cast<int>(pos.top * scale),
                             static_cast<int>(pos.Width() * scale),
                             static_cast<int>(pos.Height() * scale));
            }
            return QRect();
        default:
            return QWidget::inputMethodQuery(query);
    }
}

void HostWidget::ReportVisibility() {
    Send(WM_VISIBILITYCHANGED, 0, 0);
}

void HostWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QObject* window = windowHandle(); window != nullptr && window != watchedWindow_) {
        window->installEventFilter(this);
        watchedWindow_ = window;
    }
    ReportVisibility();
}

bool HostWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::Expose) {
        // After Qt has taken the new exposure in, so the host reads the new state.
        QMetaObject::invokeMethod(
            this, [this] { ReportVisibility(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void HostWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) ReportVisibility();
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) {
        Send(WM_ACTIVATE, kActivateActive, 0);
    } else {
        Send(WM_ACTIVATE, kActivateInactive, 0);
        Send(WM_KILLFOCUS, 0, 0);
    }
}

void HostWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A popup closed by a click elsewhere has lost the focus.
    if (popup_) Send(WM_KILLFOCUS, 0, 0);
    ReportVisibility();
}

void HostWidget::closeEvent(QCloseEvent* event) {
    // The toolkit window decides; a close from the window manager is its close request.
    event->ignore();
    if (window_ != nullptr) PostMessage(window_->GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool HostWidget::focusNextPrevChild(bool next) {
    // Tab belongs to the toolkit's controls, not to Qt's focus chain.
    (void)next;
    return false;
}

}  // namespace vivori::ui
