#pragma once

#include <string>

#include "ui/core/WindowImplBase.h"

namespace vivori::ui {

// Menu placement bits: which side of the menu sits at the point it opens at.
inline constexpr int eMenuAlignment_Left = 2;
inline constexpr int eMenuAlignment_Top = 4;
inline constexpr int eMenuAlignment_Right = 8;
inline constexpr int eMenuAlignment_Bottom = 16;

// The message a menu posts to its owner when an item is clicked. wParam points to a
// MenuCmd the receiver takes over and deletes.
inline constexpr UINT WM_MENUCLICK = WM_USER + 121;

struct MenuCmd {
    std::string name;
    std::string userData;
    std::string text;
};

// The rectangle a menu of this size takes when opened at point with these alignment
// bits, kept inside the screen area.
UiRect PlaceMenu(UiPoint point, UiSize size, int alignment, const UiRect& screen);

// A popup menu built from a menu layout: a "Menu" element whose "MenuElement" children
// are the items (name, text, userdata). A click on an item posts WM_MENUCLICK to the
// owner and closes the menu; losing focus closes it too.
class CMenuWnd : public WindowImplBase {
  public:
    // Opens the menu, drawn at `dpi` like the window it belongs to; false when the
    // layout cannot be built. The object deletes itself when the menu window ends.
    bool Init(HWND owner, std::string_view layout, UiPoint point,
              int alignment = eMenuAlignment_Left | eMenuAlignment_Top, int dpi = 96);
    // Closes the menu (the object goes with it).
    void DestroyMenu();

    std::string GetSkinFile() override { return layout_; }
    std::string_view GetWindowClassName() const override { return "MenuWnd"; }
    CControlUI* CreateControl(std::string_view name) override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage(HWND hwnd) override;
    LRESULT HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

  private:
    std::string layout_;
    HWND menuOwner_ = 0;
};

}  // namespace vivori::ui
