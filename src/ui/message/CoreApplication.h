#pragma once

namespace vivori::ui {

// The message layer runs on Qt's event loop and works with whatever application
// object the program made (QCoreApplication, or the QGuiApplication of the window
// layer). Only when there is none yet does it create a QCoreApplication itself, on
// first use; that object is kept for the life of the process. A program that wants a
// QGuiApplication must therefore create it before creating windows, setting timers
// or running a loop, and on its main thread.
void EnsureCoreApplication();

}  // namespace vivori::ui
