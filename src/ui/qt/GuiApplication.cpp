#include "ui/qt/GuiApplication.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/qt/ImageCache.h"
#include "ui/qt/QtCaptureBackend.h"
#include "ui/qt/QtWindowHost.h"

namespace vivori::ui {

namespace {

QtMessageHandler gEarlierHandler = nullptr;
std::string gProgram = "vivori";

// While the application starts, a fatal message is the display that cannot be opened
// (or no platform at all): said in one line, and the program ends with 1, not an abort.
void StartHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot open the display%s%s: %s\n", gProgram.c_str(),
                     display.isEmpty() ? "" : " ", display.constData(), qPrintable(message));
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (gEarlierHandler != nullptr) gEarlierHandler(type, context, message);
}

}  // namespace

GuiApplication::GuiApplication(int& argc, char** argv, bool offscreen) {
    if (offscreen) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 0 && argv[0] != nullptr) {
        gProgram = argv[0];
        gProgram = gProgram.substr(gProgram.find_last_of('/') + 1);
    }
    gEarlierHandler = qInstallMessageHandler(StartHandler);
    application_ = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(gEarlierHandler);
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
