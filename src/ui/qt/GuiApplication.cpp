#include "ui/qt/GuiApplication.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "ui/qt/ImageCache.h"
#include "ui/qt/QtCaptureBackend.h"
#include "ui/qt/QtWindowHost.h"

namespace vivori::ui {

GuiApplication::GuiApplication(int& argc, char** argv, bool offscreen) {
    if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = std::make_unique<QApplication>(argc, argv);
    // The tray keeps the program alive; closing the last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallQtWindowHosts();
    InstallQtCaptureBackend();
}

GuiApplication::~GuiApplication() {
    SetWindowHostFactory({});
    input::SetDefaultCaptureBackend({});
}

UiPoint GetCursorPos() {
    QPoint point = QCursor::pos();
    return {point.x(), point.y()};
}

std::optional<UiSize> LayoutImageSize(const std::string& file) {
    const QImage* image = ImageCache::Instance().Get(file);
    if (image == nullptr) return std::nullopt;
    return UiSize{image->width(), image->height()};
}

UiSize PrimaryScreenSize() {
    const QScreen* screen =
        QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (screen == nullptr) return {1920, 1080};
    return {screen->geometry().width(), screen->geometry().height()};
}

}  // namespace vivori::ui
