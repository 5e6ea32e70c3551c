#include "ui/core/WindowImplBase.h"

#include "platform/Debug.h"
#include "ui/core/CDialogBuilder.h"
#include "ui/message/Messages.h"

namespace vivori::ui {

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    pm_.SetInvalidateHandler(nullptr);
    if (GetHWND() != 0) {
        pm_.RemoveNotifier(this);
        DestroyHandle();
    }
}

CControlUI* WindowImplBase::CreateControl(std::string_view name) {
    (void)name;
    return nullptr;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)msg;
    (void)wParam;
    (void)lParam;
    handled = false;
    return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    NotifyPump(msg);
}

HWND WindowImplBase::Create(HWND parent, std::string_view title, std::uint32_t style,
                            std::uint32_t exStyle, int x, int y, int width, int height) {
    owner_ = parent;
    HWND hwnd = CreateHandle(std::string(title), std::string(GetWindowClassName()));
    if (hwnd == 0) return 0;
    host_ = CreateWindowHost(*this);
    host_->SetTitle(title);
    // The layout's own size wins over the one asked for, as the layout is drawn for it.
    UiSize size = pm_.GetInitSize();
    if (size.cx <= 0 || size.cy <= 0) size = {width, height};
    host_->SetRect({x, y, x + size.cx, y + size.cy});
    layoutSize_ = size;
    pm_.SetDPI(host_->ScreenDpi());
    pm_.SetClientSize(size);
    pm_.SetInvalidateHandler([this](const UiRect& rect) {
        if (host_) host_->Invalidate(rect);
    });
    if ((exStyle & WS_EX_TOPMOST) != 0) host_->SetTopMost(true);
    pm_.LayoutIfNeeded();
    if ((style & WS_VISIBLE) != 0) host_->Show(true, true);
    return hwnd;
}

LRESULT WindowImplBase::OnCreate() {
    pm_.Init(GetHWND(), GetWindowClassName());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        GetSkinFile(), [this](std::string_view name) { return CreateControl(name); }, &pm_);
    if (root == nullptr) {
        DebugPrintf("window %s: layout not loaded: %s", std::string(GetWindowClassName()).c_str(),
                    builder.GetLastError().c_str());
        return -1;
    }
    pm_.AttachDialog(root);
    pm_.AddNotifier(this);
    // A dialog closes on Escape as its close button would, with that button's checks.
    if (owner_ != 0) pm_.SetEscapeControl("closebtn");
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) return OnCreate();
    bool handled = false;
    LRESULT result = HandleCustomMessage(msg, wParam, lParam, handled);
    if (handled) return result;
    if (pm_.MessageHandler(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        case WM_SYSCOMMAND:
            if (wParam == SC_CLOSE) {
                PostMessage(GetHWND(), WM_CLOSE, IDCANCEL, 0);
            } else if (host_) {
                host_->SysCommand(wParam);
                HandleMessage(WM_VISIBILITYCHANGED, 0, 0);
            }
            return 0;
        default:
            return 0;
    }
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!host_) return;
    host_->Show(show, takeFocus);
    // A screen reports it again once the window is really up; a headless host never does.
    HandleMessage(WM_VISIBILITYCHANGED, 0, 0);
}

bool WindowImplBase::IsWindowVisible() const {
    return host_ && host_->IsVisible();
}

void WindowImplBase::CenterWindow() {
    if (!host_) return;
    UiRect rect = host_->GetRect();
    UiRect area = host_->ScreenRect();
    int x = area.left + (area.Width() - rect.Width()) / 2;
    int y = area.top + (area.Height() - rect.Height()) / 2;
    host_->SetRect({x, y, x + rect.Width(), y + rect.Height()});
}

void WindowImplBase::ScaleWindow(int dpi) {
    pm_.SetDPI(dpi);
    if (!host_ || layoutSize_.cx <= 0 || layoutSize_.cy <= 0) return;
    const UiRect rect = host_->GetRect();
    host_->SetRect({rect.left, rect.top, rect.left + pm_.Scale(layoutSize_.cx),
                    rect.top + pm_.Scale(layoutSize_.cy)});
    // The host reports the new size when it is shown; the layout needs it now.
    pm_.SetClientSize(layoutSize_);
}

void WindowImplBase::Close(UINT result) {
    result_ = result;
    PostMessage(GetHWND(), WM_CLOSE, result, 0);
}

UINT WindowImplBase::ShowModal() {
    if (GetHWND() == 0) return IDCANCEL;
    modal_ = true;
    ShowWindow(true, true);
    modalLoop_ = NewModalLoopId();
    RunModalLoop(modalLoop_);
    modal_ = false;
    modalLoop_ = 0;
    return result_;
}

void WindowImplBase::DestroyWindow() {
    HWND hwnd = GetHWND();
    if (hwnd == 0) return;
    pm_.RemoveAllTimers();
    pm_.RemoveNotifier(this);
    DestroyHandle();
    if (host_) host_->Show(false, false);
    host_.reset();
    if (modalLoop_ != 0) EndModalLoop(modalLoop_, static_cast<int>(result_));
    OnFinalMessage(hwnd);
}

}  // namespace vivori::ui
