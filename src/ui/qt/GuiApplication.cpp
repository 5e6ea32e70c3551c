#include "ui/qt/GuiApplication.h"

#include <QApplication>
#include <QCursor>

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

}  // namespace vivori::ui
