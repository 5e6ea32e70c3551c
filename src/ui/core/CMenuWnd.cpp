#include "ui/core/CMenuWnd.h"

#include <algorithm>

#include "ui/core/CButtonUI.h"
#include "ui/core/CVerticalLayoutUI.h"
#include "ui/message/Messages.h"

namespace vivori::ui {
namespace {

// One item of a menu.
class CMenuElementUI : public CButtonUI {
  public:
    CMenuElementUI() {
        fixed_.cy = 28;
        textPadding_ = {12, 0, 12, 0};
    }
    std::string_view GetClass() const override { return "MenuElementUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "MenuElement" ? this : CButtonUI::GetInterface(name);
    }
};

}  // namespace

UiRect PlaceMenu(UiPoint point, UiSize size, int alignment, const UiRect& screen) {
    UiRect rect{point.x, point.y, point.x + size.cx, point.y + size.cy};
    if ((alignment & eMenuAlignment_Right) != 0) {
        rect.right = point.x;
        rect.left = point.x - size.cx;
    }
    if ((alignment & eMenuAlignment_Bottom) != 0) {
        rect.bottom = point.y;
        rect.top = point.y - size.cy;
    }
    // Keep the whole menu on the screen.
    int dx = 0, dy = 0;
    if (rect.right > screen.right) dx = screen.right - rect.right;
    if (rect.left + dx < screen.left) dx = screen.left - rect.left;
    if (rect.bottom > screen.bottom) dy = screen.bottom - rect.bottom;
    if (rect.top + dy < screen.top) dy = screen.top - rect.top;
    rect.Offset(dx, dy);
    return rect;
}

bool CMenuWnd::Init(HWND owner, std::string_view layout, UiPoint point, int alignment, int dpi) {
    layout_ = layout;
    menuOwner_ = owner;
    if (Create(owner, "", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST) == 0) {
        delete this;
        return false;
    }
    // Size from the items: the widest fixed width and the sum of item heights.
    CControlUI* root = pm_.GetRoot();
    UiSize size = pm_.GetInitSize();
    if (size.cx <= 0) size.cx = root->GetFixedWidth() > 0 ? root->GetFixedWidth() : 160;
    if (size.cy <= 0) {
        auto* menu = static_cast<CContainerUI*>(root->GetInterface("Container"));
        int height = 0;
        for (int i = 0; menu != nullptr && i < menu->GetCount(); ++i) {
            CControlUI* item = menu->GetItemAt(i);
            if (item->IsVisible())
                height += item->EstimateSize({size.cx, 0}).cy + menu->GetChildPadding();
        }
        if (menu != nullptr) height += menu->GetInset().top + menu->GetInset().bottom;
        size.cy = std::max(height, 1);
    }
    pm_.SetDPI(dpi);
    host_->SetRect(
        PlaceMenu(point, {pm_.Scale(size.cx), pm_.Scale(size.cy)}, alignment, host_->ScreenRect()));
    pm_.SetClientSize(size);
    ShowWindow(true, true);
    return true;
}

void CMenuWnd::DestroyMenu() {
    Close(IDCANCEL);
}

CControlUI* CMenuWnd::CreateControl(std::string_view name) {
    if (EqualNoCase(name, "Menu")) return new CVerticalLayoutUI;
    if (EqualNoCase(name, "MenuElement")) return new CMenuElementUI;
    return nullptr;
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != kNotifyClick || msg.pSender == nullptr ||
        msg.pSender->GetInterface("MenuElement") == nullptr) {
        return;
    }
    auto* command =
        new MenuCmd{msg.pSender->GetName(), msg.pSender->GetUserData(), msg.pSender->GetText()};
    if (!PostMessage(menuOwner_, WM_MENUCLICK, reinterpret_cast<WPARAM>(command), 0))
        delete command;
    Close(IDOK);
}

LRESULT CMenuWnd::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    // A menu that loses focus closes, as a popup does.
    if (msg == WM_KILLFOCUS) {
        Close(IDCANCEL);
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(msg, wParam, lParam, handled);
}

void CMenuWnd::OnFinalMessage(HWND hwnd) {
    (void)hwnd;
    delete this;
}

}  // namespace vivori::ui
