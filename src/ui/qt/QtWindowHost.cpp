#include "ui/qt/QtWindowHost.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

#include "ui/core/CMenuWnd.h"
#include "ui/core/WindowImplBase.h"

namespace vivori::ui {
namespace {

UiRect FromQRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

QtWindowHost::QtWindowHost(WindowImplBase& window)
    : window_(window),
      widget_(new HostWidget(window, dynamic_cast<CMenuWnd*>(&window) != nullptr)) {}

QtWindowHost::~QtWindowHost() {
    if (widget_ == nullptr) return;
    widget_->Detach();
    widget_->hide();
    // The widget may be inside one of its own event handlers now.
    widget_->deleteLater();
}

void QtWindowHost::Show(bool show, bool activate) {
    if (widget_ == nullptr) return;
    if (!show) {
        widget_->hide();
        return;
    }
    widget_->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    // A modal run keeps the user off the other windows until it ends.
    if (!widget_->isVisible()) {
        widget_->setWindowModality(window_.IsModal() ? Qt::ApplicationModal : Qt::NonModal);
    }
    if (widget_->isMinimized()) {
        widget_->showNormal();
    } else {
        widget_->show();
    }
    if (activate) Activate();
}

bool QtWindowHost::IsVisible() const {
    return widget_ != nullptr && widget_->isVisible();
}

void QtWindowHost::SysCommand(WPARAM command) {
    if (widget_ == nullptr) return;
    switch (command) {
        case SC_MINIMIZE:
            widget_->showMinimized();
            break;
        case SC_MAXIMIZE:
            widget_->showMaximized();
            break;
        case SC_RESTORE:
            widget_->showNormal();
            break;
        default:
            break;
    }
}

bool QtWindowHost::IsMinimized() const {
    return widget_ != nullptr && widget_->isMinimized();
}

bool QtWindowHost::IsExposed() const {
    if (widget_ == nullptr || !widget_->isVisible() || widget_->isMinimized()) return false;
    const QWindow* window = widget_->windowHandle();
    return window != nullptr && window->isExposed();
}

int QtWindowHost::RefreshRate() const {
    QScreen* screen = widget_ != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? static_cast<int>(screen->refreshRate() + 0.5) : 0;
}

void QtWindowHost::SetTopMost(bool topMost) {
    if (widget_ == nullptr || IsTopMost() == topMost) return;
    // Changing the flags hides the window; show it again as it was.
    bool visible = widget_->isVisible();
    widget_->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (visible) widget_->show();
}

bool QtWindowHost::IsTopMost() const {
    return widget_ != nullptr && widget_->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void QtWindowHost::SetTitle(std::string_view title) {
    if (widget_ != nullptr) {
        widget_->setWindowTitle(
            QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    }
}

void QtWindowHost::SetRect(const UiRect& rect) {
    if (widget_ == nullptr || rect.IsEmpty()) return;
    widget_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

UiRect QtWindowHost::GetRect() const {
    return widget_ != nullptr ? FromQRect(widget_->geometry()) : UiRect{};
}

UiRect QtWindowHost::ScreenRect() const {
    QScreen* screen = widget_ != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return {0, 0, 1920, 1080};
    return FromQRect(screen->availableGeometry());
}

int QtWindowHost::ScreenDpi() const {
    QScreen* screen = widget_ != nullptr ? widget_->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? static_cast<int>(screen->logicalDotsPerInch() + 0.5) : 96;
}

void QtWindowHost::Invalidate(const UiRect& rect) {
    if (widget_ != nullptr) widget_->InvalidateLayoutRect(rect);
}

void QtWindowHost::Activate() {
    if (widget_ == nullptr) return;
    // Windows rendered offscreen have no stacking order to change.
    if (QGuiApplication::platformName() != "offscreen") widget_->raise();
    widget_->activateWindow();
}

void InstallQtWindowHosts() {
    SetWindowHostFactory([](WindowImplBase& window) -> std::unique_ptr<IWindowHost> {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
        return std::make_unique<QtWindowHost>(window);
    });
}

}  // namespace vivori::ui
