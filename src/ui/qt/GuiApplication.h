#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/core/UiTypes.h"

class QApplication;

namespace vivori::ui {

// The widget application of a program that shows toolkit windows, created first on
// the main thread, with the Qt window hosts installed. Offscreen renders without a
// display (screenshots, benchmarks).
class GuiApplication {
  public:
    GuiApplication(int& argc, char** argv, bool offscreen = false);
    ~GuiApplication();
    GuiApplication(const GuiApplication&) = delete;
    GuiApplication& operator=(const GuiApplication&) = delete;

  private:
    std::unique_ptr<QApplication> application_;
};

// The mouse pointer in screen coordinates.
UiPoint GetCursorPos();
// The primary screen's size in pixels; 1920 x 1080 without a screen.
UiSize PrimaryScreenSize();

// The pixel size of a layout image (a file of the resource folder); nullopt when it
// cannot be read. UI thread.
std::optional<UiSize> LayoutImageSize(const std::string& file);

}  // namespace vivori::ui
