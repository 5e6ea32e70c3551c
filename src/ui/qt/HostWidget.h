#pragma once

#include <QPoint>
#include <QWidget>

#include "ui/core/UiTypes.h"

namespace vivori::ui {

class CEditUI;
class WindowImplBase;

// The frameless top-level Qt window that shows one toolkit window: it paints the
// control tree, turns mouse, keyboard and input-method events into the paint
// manager's input, drags the window by its caption area and reports activation.
class HostWidget : public QWidget {
  public:
    // A paint region of more rectangles than this is painted as its bounding box.
    static constexpr int kMaxPaintRects = 256;
    HostWidget(WindowImplBase& window, bool popup);
    // The toolkit window is going away; events arriving later are ignored.
    void Detach() { window_ = nullptr; }
    WindowImplBase* Window() const { return window_; }
    // Repaints a rectangle given in layout units.
    void InvalidateLayoutRect(const UiRect& rect);

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Expose events go to the native window, not to the widget.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    double Scale() const;
    UiPoint ToLayout(QPointF position) const;
    bool InCaption(UiPoint point) const;
    CEditUI* FocusedEdit() const;
    // Copy, cut, paste and select-all for a focused edit; true when handled.
    bool HandleClipboardKey(QKeyEvent* event, CEditUI& edit);
    void Send(unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);
    void SendMouse(unsigned msg, QMouseEvent* event);
    // The pointer shape the control under the mouse asks for.
    void UpdateCursor();
    void ReportVisibility();

    WindowImplBase* window_;
    bool popup_;
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint windowStart_;
    QObject* watchedWindow_ = nullptr;
};

}  // namespace vivori::ui
