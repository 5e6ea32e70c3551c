#include "ui/core/CPaintManagerUI.h"

#include <algorithm>

#include "platform/Time.h"
#include "ui/core/CContainerUI.h"
#include "ui/message/Messages.h"

namespace vivori::ui {
namespace {

std::string& InstancePath() {
    static std::string path;
    return path;
}

std::string& ResourcePath() {
    static std::string path;
    return path;
}

int& ResourceType() {
    static int type = 1;
    return type;
}

// What a user's input makes a control report. The rest (window set-up and size,
// focus, timers, a tab layout's page) comes about without the user.
bool IsInputNotification(std::string_view type) {
    for (std::string_view passive : {kNotifyWindowInit, kNotifyWindowSize, kNotifyKillFocus,
                                     kNotifySetFocus, kNotifyTimer, kNotifyTabSelect})
        if (type == passive) return false;
    return true;
}

// Managers are created and used on their window's thread.
thread_local std::vector<CPaintManagerUI*> managers;

UiPoint PointFromLParam(LPARAM lParam) {
    return {static_cast<std::int16_t>(lParam & 0xFFFF),
            static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)};
}

unsigned KeyStateFromWParam(WPARAM wParam) {
    // MK_SHIFT and MK_CONTROL share the bits of our modifier flags.
    return static_cast<unsigned>(wParam) & (kModShift | kModControl);
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    managers.push_back(this);
}

CPaintManagerUI::~CPaintManagerUI() {
    // The host may be gone already; nothing is repainted from here on.
    invalidateHandler_ = nullptr;
    notifiers_.clear();
    RemoveAllTimers();
    ClosePopup();
    CControlUI* root = root_;
    root_ = nullptr;
    focus_ = hover_ = click_ = rightClick_ = nullptr;
    delete root;
    ProcessDelayedCleanup();
    std::erase(managers, this);
}

void CPaintManagerUI::SetInstancePath(std::string_view path) {
    InstancePath() = path;
}
const std::string& CPaintManagerUI::GetInstancePath() {
    return InstancePath();
}
void CPaintManagerUI::SetResourcePath(std::string_view path) {
    ResourcePath() = path;
}
const std::string& CPaintManagerUI::GetResourcePath() {
    return ResourcePath();
}
void CPaintManagerUI::SetResourceType(int type) {
    ResourceType() = type;
}
int CPaintManagerUI::GetResourceType() {
    return ResourceType();
}
int CPaintManagerUI::MessageLoop() {
    return RunMessageLoop();
}

std::vector<CPaintManagerUI*> CPaintManagerUI::AllManagers() {
    return managers;
}

void CPaintManagerUI::Init(HWND window, std::string_view name) {
    window_ = window;
    name_ = name;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (root == nullptr) return false;
    ClosePopup();
    CControlUI* old = root_;
    focus_ = hover_ = click_ = rightClick_ = nullptr;
    captured_ = false;
    root_ = nullptr;
    if (old != nullptr) AddDelayedCleanup(old);
    root_ = root;
    names_.clear();
    firstLayout_ = true;
    updateNeeded_ = true;
    return InitControls(root, nullptr);
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (control == nullptr) return false;
    control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
    MapNames(control);
    return true;
}

void CPaintManagerUI::MapNames(CControlUI* control) {
    control->FindControl(
        [this](CControlUI* c) -> CControlUI* {
            if (!c->GetName().empty()) names_.try_emplace(AsciiLower(c->GetName()), c);
            return nullptr;
        },
        kFindAll);
}

void CPaintManagerUI::RenameControl(CControlUI* control, std::string_view oldName) {
    if (!oldName.empty()) {
        auto found = names_.find(AsciiLower(oldName));
        if (found != names_.end() && found->second == control) names_.erase(found);
    }
    if (!control->GetName().empty()) names_.try_emplace(AsciiLower(control->GetName()), control);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    if (control == nullptr) return;
    underlays_.Clear();
    if (focus_ == control) focus_ = nullptr;
    if (hover_ == control) hover_ = nullptr;
    if (click_ == control) {
        click_ = nullptr;
        captured_ = false;
    }
    if (rightClick_ == control) rightClick_ = nullptr;
    if (popup_ == control) popup_ = nullptr;
    if (popupOwner_ == control) ClosePopup();
    KillTimer(control);
    if (!control->GetName().empty()) {
        auto found = names_.find(AsciiLower(control->GetName()));
        if (found != names_.end() && found->second == control) {
            names_.erase(found);
            // Another control of the same name may now be the one to find.
            if (root_ != nullptr && root_ != control) {
                CControlUI* other = FindSubControlByName(root_, control->GetName());
                if (other != nullptr && other != control)
                    names_.emplace(AsciiLower(other->GetName()), other);
            }
        }
    }
    std::erase_if(asyncNotify_, [control](const TNotifyUI& msg) { return msg.pSender == control; });
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* control) {
    if (control == nullptr) return;
    // Forget it now; the object itself lives until the event that removed it is over.
    control->FindControl(
        [this](CControlUI* c) -> CControlUI* {
            ReapObjects(c);
            return nullptr;
        },
        kFindAll);
    control->SetManager(nullptr, nullptr, false);
    delayedCleanup_.push_back(control);
}

void CPaintManagerUI::ProcessDelayedCleanup() {
    while (!delayedCleanup_.empty()) {
        std::vector<CControlUI*> pending;
        pending.swap(delayedCleanup_);
        for (CControlUI* control : pending) delete control;
    }
}

CControlUI* CPaintManagerUI::FindControl(std::string_view name) const {
    auto found = names_.find(AsciiLower(name));
    return found != names_.end() ? found->second : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(UiPoint point) const {
    return HitTest(point);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, std::string_view name) const {
    if (parent == nullptr) return nullptr;
    return parent->FindControl(
        [name](CControlUI* c) -> CControlUI* {
            return EqualNoCase(c->GetName(), name) ? c : nullptr;
        },
        kFindAll);
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* parent, UiPoint point) const {
    if (parent == nullptr) return nullptr;
    return parent->FindControlAt(point, kFindVisible | kFindHitTest | kFindTopFirst);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, std::string_view className,
                                                   int index) const {
    if (parent == nullptr) return nullptr;
    int seen = 0;
    return parent->FindControl(
        [&](CControlUI* c) -> CControlUI* {
            if (!EqualNoCase(c->GetClass(), className)) return nullptr;
            return seen++ == index ? c : nullptr;
        },
        kFindAll);
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent,
                                                                 std::string_view className) const {
    std::vector<CControlUI*> found;
    if (parent == nullptr) return found;
    parent->FindControl(
        [&](CControlUI* c) -> CControlUI* {
            if (EqualNoCase(c->GetClass(), className)) found.push_back(c);
            return nullptr;
        },
        kFindAll);
    return found;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == focus_) return;
    if (focus_ != nullptr) {
        CControlUI* old = focus_;
        focus_ = nullptr;
        SendEvent(old, UiEventType::KillFocus, lastMouse_, 0, 0, reinterpret_cast<WPARAM>(control));
    }
    if (control != nullptr && control->GetManager() == this && control->IsVisible() &&
        control->IsEnabled()) {
        focus_ = control;
        SendEvent(control, UiEventType::SetFocus, lastMouse_, 0);
    }
}

void CPaintManagerUI::MoveFocus(bool backwards) {
    if (root_ == nullptr) return;
    LayoutIfNeeded();
    std::vector<CControlUI*> stops;
    root_->FindControl(
        [&stops](CControlUI* c) -> CControlUI* {
            const bool takesKeys = c->GetInterface("Button") != nullptr ||
                                   c->GetInterface("Edit") != nullptr ||
                                   c->GetInterface("Combo") != nullptr ||
                                   c->GetInterface("Slider") != nullptr;
            if (takesKeys && c->IsKeyboardEnabled() && c->IsMouseEnabled() &&
                !c->GetPos().IsEmpty())
                stops.push_back(c);
            return nullptr;
        },
        kFindVisible | kFindEnabled);
    if (stops.empty()) return;
    const auto at = std::find(stops.begin(), stops.end(), focus_);
    std::size_t next = 0;
    if (at == stops.end())
        next = backwards ? stops.size() - 1 : 0;
    else if (backwards)
        next = (std::size_t(at - stops.begin()) + stops.size() - 1) % stops.size();
    else
        next = (std::size_t(at - stops.begin()) + 1) % stops.size();
    if (focus_ != nullptr) focus_->Invalidate();
    SetFocus(stops[next]);
    focusShown_ = true;
    if (focus_ != nullptr) focus_->Invalidate();
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier == nullptr ||
        std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) {
        return false;
    }
    notifiers_.push_back(notifier);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    auto found = std::find(notifiers_.begin(), notifiers_.end(), notifier);
    if (found == notifiers_.end()) return false;
    *found = nullptr;  // compacted after delivery, so a listener may leave while notified
    return true;
}

void CPaintManagerUI::SendNotify(CControlUI* control, std::string_view type, std::uintptr_t wParam,
                                 std::intptr_t lParam, bool async) {
    TNotifyUI msg;
    msg.pSender = control;
    msg.sType = type;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
    // A disabled control, or one inside a disabled container, reports no input; what
    // happens to it without the user (focus, timers, the window) still goes out.
    if (msg.pSender != nullptr && !msg.pSender->IsEnabled() && IsInputNotification(msg.sType))
        return;
    msg.ptMouse = lastMouse_;
    msg.dwTimestamp = vivori::GetTickCount64();
    if (msg.pSender != nullptr && msg.sVirtualWnd.empty())
        msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
    if (async) {
        asyncNotify_.push_back(msg);
        if (window_ != 0) PostMessage(window_, kAsyncNotifyMessage, 0, 0);
        return;
    }
    Deliver(msg);
}

void CPaintManagerUI::Deliver(TNotifyUI& msg) {
    // By index: a listener may add or remove listeners while it is notified.
    for (std::size_t i = 0; i < notifiers_.size(); ++i) {
        if (notifiers_[i] != nullptr) notifiers_[i]->Notify(msg);
    }
    std::erase(notifiers_, nullptr);
}

void CPaintManagerUI::ProcessAsyncNotify() {
    while (!asyncNotify_.empty()) {
        TNotifyUI msg = asyncNotify_.front();
        asyncNotify_.pop_front();
        if (msg.pSender != nullptr && msg.pSender->GetManager() != this) continue;
        Deliver(msg);
    }
}

bool CPaintManagerUI::SetTimer(CControlUI* control, unsigned id, unsigned elapseMs) {
    if (control == nullptr || window_ == 0) return false;
    for (TimerInfo& timer : timers_) {
        if (timer.control == control && timer.id == id) {
            // Setting it again restarts it.
            return vivori::ui::SetTimer(window_, timer.windowTimer, elapseMs) != 0;
        }
    }
    UINT_PTR windowTimer = nextTimer_++;
    if (vivori::ui::SetTimer(window_, windowTimer, elapseMs) == 0) return false;
    timers_.push_back({control, id, windowTimer});
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, unsigned id) {
    return KillTimersWhere([control, id](const TimerInfo& timer) {
               return timer.control == control && timer.id == id;
           }) != 0;
}

void CPaintManagerUI::KillTimer(CControlUI* control) {
    KillTimersWhere([control](const TimerInfo& timer) { return timer.control == control; });
}

std::size_t CPaintManagerUI::KillTimersWhere(const std::function<bool(const TimerInfo&)>& match) {
    return std::erase_if(timers_, [this, &match](const TimerInfo& timer) {
        if (!match(timer)) return false;
        if (window_ != 0) vivori::ui::KillTimer(window_, timer.windowTimer);
        return true;
    });
}

void CPaintManagerUI::RemoveAllTimers() {
    KillTimersWhere([](const TimerInfo&) { return true; });
}

bool CPaintManagerUI::FireTimer(UINT_PTR windowTimer) {
    for (const TimerInfo& timer : timers_) {
        if (timer.windowTimer == windowTimer) {
            TEventUI event;
            event.type = UiEventType::Timer;
            event.sender = timer.control;
            event.key = timer.id;
            event.wParam = timer.id;
            event.mouse = lastMouse_;
            // The handler may set or kill timers; timer is not used after this call.
            timer.control->DoEvent(event);
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::AddDefaultAttributeList(std::string_view className, std::string_view list) {
    defaultAttributes_[AsciiLower(className)] = list;
}

const std::string* CPaintManagerUI::GetDefaultAttributeList(std::string_view className) const {
    auto found = defaultAttributes_.find(AsciiLower(className));
    return found != defaultAttributes_.end() ? &found->second : nullptr;
}

void CPaintManagerUI::AddStyle(std::string_view name, std::string_view list) {
    styles_[std::string(name)] = list;
}

const std::string* CPaintManagerUI::GetStyle(std::string_view name) const {
    auto found = styles_.find(std::string(name));
    return found != styles_.end() ? &found->second : nullptr;
}

void CPaintManagerUI::AddFont(const FontInfo& font, bool isDefault) {
    fonts_[font.id] = font;
    if (isDefault) defaultFont_ = font;
}

const FontInfo* CPaintManagerUI::GetFont(int id) const {
    auto found = fonts_.find(id);
    return found != fonts_.end() ? &found->second : nullptr;
}

void CPaintManagerUI::SetClientSize(UiSize size) {
    if (size.cx == clientSize_.cx && size.cy == clientSize_.cy) return;
    clientSize_ = size;
    updateNeeded_ = true;
    if (root_ != nullptr && !firstLayout_) SendNotify(root_, kNotifyWindowSize);
}

void CPaintManagerUI::SetDPI(int dpi) {
    dpi_ = std::clamp(dpi, 48, 192);
    updateNeeded_ = true;
}

void CPaintManagerUI::LayoutIfNeeded() {
    if (root_ == nullptr) return;
    if (updateNeeded_ || root_->IsUpdateNeeded()) {
        updateNeeded_ = false;
        UiSize size = clientSize_;
        if (size.cx <= 0 || size.cy <= 0) size = initSize_;
        root_->SetPos({0, 0, size.cx, size.cy}, false);
        underlays_.Clear();
        invalid_ = {0, 0, size.cx, size.cy};
        if (invalidateHandler_) invalidateHandler_(invalid_);
    }
    if (firstLayout_) {
        firstLayout_ = false;
        SendNotify(root_, kNotifyWindowInit, 0, 0, false);
    }
}

void CPaintManagerUI::Invalidate(const UiRect& rect) {
    if (rect.IsEmpty()) return;
    underlays_.Invalidated(rect);
    invalid_ = invalid_.Union(rect);
    if (invalidateHandler_) invalidateHandler_(rect);
}

void CPaintManagerUI::InvalidateLively(CControlUI* control) {
    const UiRect& rect = control->GetPos();
    if (rect.IsEmpty()) return;
    underlays_.Touched(control);
    invalid_ = invalid_.Union(rect);
    if (invalidateHandler_) invalidateHandler_(rect);
}

void CPaintManagerUI::Paint(IRender& render, const UiRect& rect) {
    Paint(render, std::span<const UiRect>(&rect, 1));
}

void CPaintManagerUI::Paint(IRender& render, std::span<const UiRect> rects) {
    ++paintCount_;
    LayoutIfNeeded();
    for (const UiRect& rect : rects) {
        // Each rectangle inside its own clip: what one draws around it stays out of
        // the others.
        if (rects.size() > 1) render.PushClip(rect);
        const bool visible = root_ != nullptr && root_->IsVisible();
        const UiRect* popup = popup_ != nullptr ? &popup_->GetPos() : nullptr;
        if (!visible || !underlays_.Paint(render, rect, *root_, popup)) {
            if (visible) root_->DoPaint(render, rect);
            if (popup_ != nullptr) popup_->DoPaint(render, rect);
        }
        if (rects.size() > 1) render.PopClip();
    }
    underlays_.EndPaint();
    invalid_ = {};
}

void CPaintManagerUI::OpenPopup(CControlUI* popup, CControlUI* owner, const UiRect& rect) {
    ClosePopup();
    popup_ = popup;
    popupOwner_ = owner;
    popup->SetPos(rect, false);
    Invalidate(rect);
}

void CPaintManagerUI::ClosePopup() {
    if (popup_ == nullptr) return;
    Invalidate(popup_->GetPos());
    if (hover_ != nullptr && hover_->GetParent() == popupOwner_) hover_ = nullptr;
    popup_ = nullptr;
    popupOwner_ = nullptr;
}

CControlUI* CPaintManagerUI::HitTest(UiPoint point) const {
    constexpr unsigned flags = kFindVisible | kFindHitTest | kFindTopFirst;
    if (popup_ != nullptr) {
        if (CControlUI* found = popup_->FindControlAt(point, flags)) return found;
    }
    return root_ != nullptr ? root_->FindControlAt(point, flags) : nullptr;
}

void CPaintManagerUI::SendEvent(CControlUI* control, UiEventType type, UiPoint point,
                                unsigned keyState, std::uint32_t key, WPARAM wParam) {
    if (control == nullptr) return;
    // Presses, the wheel and keys do not reach a disabled control. A release does, so
    // a control pressed before it was disabled lets go of its pushed state.
    switch (type) {
        case UiEventType::ButtonDown:
        case UiEventType::DoubleClick:
        case UiEventType::RightButtonDown:
        case UiEventType::RightButtonUp:
        case UiEventType::ContextMenu:
        case UiEventType::ScrollWheel:
        case UiEventType::KeyDown:
        case UiEventType::KeyUp:
        case UiEventType::Char:
            if (!control->IsEnabled()) return;
            break;
        default:
            break;
    }
    TEventUI event;
    event.type = type;
    event.sender = control;
    event.mouse = point;
    event.keyState = keyState;
    event.key = key;
    event.wParam = wParam;
    control->DoEvent(event);
}

void CPaintManagerUI::UpdateHover(CControlUI* control, UiPoint point, unsigned keyState) {
    if (control == hover_) return;
    CControlUI* old = hover_;
    hover_ = control;
    if (old != nullptr) SendEvent(old, UiEventType::MouseLeave, point, keyState);
    if (control != nullptr && hover_ == control)
        SendEvent(control, UiEventType::MouseEnter, point, keyState);
}

void CPaintManagerUI::HandleMouseMove(UiPoint point, unsigned keyState) {
    LayoutIfNeeded();
    lastMouse_ = point;
    if (captured_ && click_ != nullptr) {
        SendEvent(click_, UiEventType::MouseMove, point, keyState);
    } else {
        CControlUI* control = HitTest(point);
        UpdateHover(control, point, keyState);
        if (control != nullptr) SendEvent(control, UiEventType::MouseMove, point, keyState);
    }
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleMouseLeaveWindow() {
    if (!captured_) UpdateHover(nullptr, lastMouse_, 0);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleButtonDown(UiPoint point, unsigned keyState) {
    LayoutIfNeeded();
    if (focusShown_ && focus_ != nullptr) focus_->Invalidate();
    focusShown_ = false;
    lastMouse_ = point;
    CControlUI* control = HitTest(point);
    // A press outside an open popup closes it and goes no further, as a drop-down
    // losing focus does.
    if (popup_ != nullptr && (control == nullptr || !popup_->GetPos().Contains(point))) {
        bool onOwner = control == popupOwner_;
        ClosePopup();
        if (onOwner) {
            ProcessDelayedCleanup();
            return;
        }
    }
    if (control == nullptr) {
        SetFocus(nullptr);
        ProcessDelayedCleanup();
        return;
    }
    UpdateHover(control, point, keyState);
    click_ = control;
    if (control->IsKeyboardEnabled() || control->GetInterface("Edit") != nullptr) {
        SetFocus(control);
    } else if (focus_ != nullptr && focus_ != control) {
        SetFocus(nullptr);
    }
    SetCapture();
    SendEvent(click_, UiEventType::ButtonDown, point, keyState);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleButtonUp(UiPoint point, unsigned keyState) {
    lastMouse_ = point;
    ReleaseCapture();
    CControlUI* control = click_;
    click_ = nullptr;
    if (control != nullptr) SendEvent(control, UiEventType::ButtonUp, point, keyState);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleDoubleClick(UiPoint point, unsigned keyState) {
    LayoutIfNeeded();
    lastMouse_ = point;
    CControlUI* control = HitTest(point);
    if (control != nullptr) {
        click_ = control;
        SetCapture();
        SendEvent(control, UiEventType::DoubleClick, point, keyState);
    }
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleRightButtonDown(UiPoint point, unsigned keyState) {
    LayoutIfNeeded();
    lastMouse_ = point;
    if (popup_ != nullptr && !popup_->GetPos().Contains(point)) ClosePopup();
    rightClick_ = HitTest(point);
    if (rightClick_ != nullptr)
        SendEvent(rightClick_, UiEventType::RightButtonDown, point, keyState);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleRightButtonUp(UiPoint point, unsigned keyState) {
    lastMouse_ = point;
    CControlUI* control = rightClick_;
    rightClick_ = nullptr;
    if (control != nullptr) {
        SendEvent(control, UiEventType::RightButtonUp, point, keyState);
        if (control->GetManager() == this)
            SendEvent(control, UiEventType::ContextMenu, point, keyState);
    }
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleWheel(UiPoint point, int delta, unsigned keyState) {
    LayoutIfNeeded();
    lastMouse_ = point;
    CControlUI* control = HitTest(point);
    if (control != nullptr) {
        SendEvent(control, UiEventType::ScrollWheel, point, keyState, 0,
                  static_cast<WPARAM>(static_cast<std::intptr_t>(delta)));
    }
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleKeyDown(std::uint32_t key, unsigned keyState) {
    if (key == kKeyEscape && popup_ != nullptr) {
        ClosePopup();
        return;
    }
    if (key == kKeyTab && (keyState & kModControl) == 0) {
        MoveFocus((keyState & kModShift) != 0);
        ProcessDelayedCleanup();
        return;
    }
    if (key == kKeyEscape && !escapeControl_.empty())
        if (CControlUI* close = FindControl(escapeControl_);
            close != nullptr && close->IsVisible() && close->IsEnabled()) {
            close->Activate();
            ProcessDelayedCleanup();
            return;
        }
    if (focus_ != nullptr) SendEvent(focus_, UiEventType::KeyDown, lastMouse_, keyState, key);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleKeyUp(std::uint32_t key, unsigned keyState) {
    if (focus_ != nullptr) SendEvent(focus_, UiEventType::KeyUp, lastMouse_, keyState, key);
    ProcessDelayedCleanup();
}

void CPaintManagerUI::HandleChar(std::uint32_t codePoint) {
    if (focus_ != nullptr) SendEvent(focus_, UiEventType::Char, lastMouse_, 0, codePoint);
    ProcessDelayedCleanup();
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_TIMER:
            if (!FireTimer(wParam)) return false;
            ProcessDelayedCleanup();
            return true;
        case kAsyncNotifyMessage:
            ProcessAsyncNotify();
            ProcessDelayedCleanup();
            return true;
        case WM_SIZE:
            SetClientSize(
                {static_cast<int>(lParam & 0xFFFF), static_cast<int>((lParam >> 16) & 0xFFFF)});
            return false;
        case WM_MOUSEMOVE:
            HandleMouseMove(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_MOUSELEAVE:
            HandleMouseLeaveWindow();
            return true;
        case WM_LBUTTONDOWN:
            HandleButtonDown(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_LBUTTONUP:
            HandleButtonUp(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_LBUTTONDBLCLK:
            HandleDoubleClick(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_RBUTTONDOWN:
            HandleRightButtonDown(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_RBUTTONUP:
            HandleRightButtonUp(PointFromLParam(lParam), KeyStateFromWParam(wParam));
            return true;
        case WM_MOUSEWHEEL:
            HandleWheel(lastMouse_, static_cast<std::int16_t>((wParam >> 16) & 0xFFFF),
                        KeyStateFromWParam(wParam));
            return true;
        case WM_KEYDOWN:
            HandleKeyDown(static_cast<std::uint32_t>(wParam));
            return focus_ != nullptr;
        case WM_KEYUP:
            HandleKeyUp(static_cast<std::uint32_t>(wParam));
            return focus_ != nullptr;
        case WM_CHAR:
            HandleChar(static_cast<std::uint32_t>(wParam));
            return focus_ != nullptr;
        default:
            return false;
    }
}

}  // namespace vivori::ui
