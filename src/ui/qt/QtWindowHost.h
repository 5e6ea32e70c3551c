#pragma once

#include <QPointer>

#include "ui/core/IWindowHost.h"
#include "ui/qt/HostWidget.h"

namespace vivori::ui {

// IWindowHost on a frameless top-level Qt window. Menus get a popup window, which
// closes when the user clicks elsewhere.
class QtWindowHost : public IWindowHost {
  public:
    explicit QtWindowHost(WindowImplBase& window);
    ~QtWindowHost() override;

    void Show(bool show, bool activate) override;
    bool IsVisible() const override;
    void SysCommand(WPARAM command) override;
    bool IsMinimized() const override;
    bool IsExposed() const override;
    int RefreshRate() const override;
    void SetTopMost(bool topMost) override;
    bool IsTopMost() const override;
    void SetTitle(std::string_view title) override;
    void SetRect(const UiRect& rect) override;
    UiRect GetRect() const override;
    UiRect ScreenRect() const override;
    int ScreenDpi() const override;
    void Invalidate(const UiRect& rect) override;
    void Activate() override;

    HostWidget* Widget() const { return widget_; }

  private:
    WindowImplBase& window_;
    QPointer<HostWidget> widget_;
};

// Gives every toolkit window created from now on a Qt window. Needs the program's
// QApplication; without one windows stay headless.
void InstallQtWindowHosts();

}  // namespace vivori::ui
