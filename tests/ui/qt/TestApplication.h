#pragma once

#include <QApplication>

namespace vivori::ui::testing {

// The widget application every Qt test runs under, offscreen, made before anything
// creates the plain core application.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "ui_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        // A test that needs a real screen makes its application first.
        if (auto* made = qobject_cast<QApplication*>(QCoreApplication::instance())) return made;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *application;
}

}  // namespace vivori::ui::testing
