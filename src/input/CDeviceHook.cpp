#include "input/CDeviceHook.h"

#include <mutex>
#include <string>
#include <utility>

#include "ui/message/Messages.h"

namespace vivori::input {
namespace {

struct ModeMessage {
    int mode;
    std::string_view keyboard;
    std::string_view mouse;
};

// The mouse side is installed with the keyboard's mode; the handlers read its
// messages with the insert position of the keyboard message of the same name.
constexpr ModeMessage kModes[] = {
    {kHookSingleKey, "WM_HOOK_KEY_SINGLEKEY_MSG", "WM_HOOK_MOU_SINGLEKEY_MSG"},
    {kHookHitKey, "WM_HOOK_KEY_HITKEY_MSG", "WM_HOOK_MOU_HITKEY_MSG"},
    {kHookMacroEnd, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
    {kHookMacroBefore, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {kHookMacroAfter, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {kHookMacroReplace, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
    {kHookMouseSingleKey, "WM_HOOK_MOU_SINGLEKEY_MSG", {}},
    {kHookMouseHitKey, "WM_HOOK_MOU_HITKEY_MSG", {}},
    {kHookMouseMacro, "WM_HOOK_MOU_KBMACRO_MSG", {}},
};

const ModeMessage* FindMode(int mode) {
    for (const ModeMessage& row : kModes)
        if (row.mode == mode) return &row;
    return nullptr;
}

ui::UINT Registered(std::string_view name) {
    return name.empty() ? 0 : ui::RegisterWindowMessage(name);
}

std::mutex& FactoryLock() {
    static std::mutex lock;
    return lock;
}
CaptureBackendFactory& Factory() {
    static CaptureBackendFactory factory;
    return factory;
}

}  // namespace

void SetDefaultCaptureBackend(CaptureBackendFactory factory) {
    std::lock_guard guard(FactoryLock());
    Factory() = std::move(factory);
}

std::shared_ptr<ICaptureBackend> MakeDefaultCaptureBackend() {
    std::lock_guard guard(FactoryLock());
    if (Factory())
        if (auto backend = Factory()()) return backend;
    return std::make_shared<NullCaptureBackend>();
}

std::string_view KeyboardMessageName(int mode) {
    const ModeMessage* row = FindMode(mode);
    return row ? row->keyboard : std::string_view();
}

std::string_view MouseMessageName(int mode) {
    const ModeMessage* row = FindMode(mode);
    return row ? row->mouse : std::string_view();
}

CDeviceHook::CDeviceHook(std::shared_ptr<ICaptureBackend> backend)
    : backend_(backend ? std::move(backend) : std::make_shared<NullCaptureBackend>()) {}

CDeviceHook::~CDeviceHook() {
    Uninstall();
}

int CDeviceHook::Install(int mode, ui::HWND window, bool ownKeyboardHook, bool libraryHook) {
    if (keyboardInstalled_) {
        backend_->StopKeyboard();
        keyboardInstalled_ = false;
    }
    if (ownKeyboardHook) {
        if (!backend_->StartKeyboard(window,
                                     [this](std::uint32_t message, const KeyHookRecord& record) {
                                         return OnKey(message, record);
                                     }))
            return 0;
        keyboardInstalled_ = true;
    }
    if (libraryHook)
        backend_->StartMouse(window, [this](std::uint32_t message, const MouseHookRecord& record) {
            OnMouse(message, record);
        });
    mode_ = mode;
    window_ = window;
    return 1;
}

int CDeviceHook::Uninstall() {
    int result = 0;
    if (keyboardInstalled_) {
        backend_->StopKeyboard();
        keyboardInstalled_ = false;
        result = 1;
    }
    backend_->StopMouse();
    return result;
}

bool CDeviceHook::OnKey(std::uint32_t message, const KeyHookRecord& record) const {
    if (ui::UINT registered = Registered(KeyboardMessageName(mode_)))
        ui::SendMessage(window_, registered, message, reinterpret_cast<ui::LPARAM>(&record));
    return IsLockKey(record.vkCode);
}

void CDeviceHook::OnMouse(std::uint32_t message, const MouseHookRecord& record) const {
    if (ui::UINT registered = Registered(MouseMessageName(mode_)))
        ui::SendMessage(window_, registered, message, reinterpret_cast<ui::LPARAM>(&record));
}

}  // namespace vivori::input
