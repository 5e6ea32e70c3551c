#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/CMainWnd.h"
#include "app/LanguageFonts.h"
#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/SingleInstanceLock.h"
#include "ui/qt/SystemEvents.h"

namespace vivori::app {

struct AppOptions {
    // Where "Font/" and "skin/" are; empty: ShippedDataFolder().
    std::string programFolder;
    // Off for a one-shot run (a screenshot) that must not meet the running copy.
    bool singleInstance = true;
    MainWndOptions window;
};

// The process set-up around the main window, in its order: fonts, the wake-up
// message, one copy per user, the toolkit's resources, the shared messages, the
// window; and the reverse on the way out. A GuiApplication must exist first.
class Application {
  public:
    enum class StartResult { Started, AlreadyRunning, Failed };

    explicit Application(AppOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    StartResult Start();
    // The message loop, until the window is destroyed. Returns 0.
    int Run();
    CMainWnd* Window() const { return window_.get(); }
    const ui::SystemEvents* SystemEvents() const { return systemEvents_.get(); }
    // How many of the program's fonts were added (the CJK ones only once a language or
    // window needed them).
    int FontsLoaded() const;

  private:
    void Shutdown();

    AppOptions options_;
    std::unique_ptr<LanguageFonts> fonts_;
    ui::SingleInstanceLock instance_;
    ui::IpcEndpoint endpoint_;
    std::unique_ptr<CMainWnd> window_;
    std::unique_ptr<ui::SystemEvents> systemEvents_;
};

}  // namespace vivori::app
