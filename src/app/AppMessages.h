#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "profiles/DataFolders.h"
#include "ui/message/MessageTypes.h"

namespace vivori::app {

// The name the application runs under: window title, single-instance lock, wake-up
// message, tray tooltip and data folder.
using profiles::kApplicationName;

// The registered name of the audio style message (EBE19, not EBF19: the audio
// recorder registers it under this name).
inline constexpr std::string_view kAudioStyleMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
// The main window as other programs find it.
inline constexpr std::string_view kMainWindowClass = "MainWnd";

// Numbered messages to the main window.
inline constexpr ui::UINT kMsgInputHook = ui::WM_USER + 30;  // 1054: wParam 1 on, 0 off
inline constexpr ui::UINT kMsgShowProgress = 3072;
inline constexpr ui::UINT kMsgLanguageChanged = 3089;
inline constexpr ui::UINT kMsgOpenSettings = 3093;
inline constexpr ui::UINT kMsgClearUpdateBadge = 3094;
// The updater's forward message as the main window passes it on to the settings window
// (same wParam and lParam). A number of its own: the registered message reaches every
// window of the process, so the settings window would otherwise take each event twice.
inline constexpr ui::UINT kMsgUpdaterEvent = ui::WM_USER + 262;
// The updater ended (wParam: its exit status): to the settings window that started it.
inline constexpr ui::UINT kMsgUpdaterEnded = ui::WM_USER + 264;
inline constexpr ui::UINT kMsgDpiChangedNote = 1224;
// A termination signal asks the application to end as its tray menu's "exit" does.
inline constexpr ui::UINT kMsgEndRequested = ui::WM_USER + 263;
// A watched profile folder changed (another program, or our own writes).
inline constexpr ui::UINT kMsgProfileFolderChanged = ui::WM_USER + 264;
// Window messages the message layer does not name.
inline constexpr ui::UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr ui::UINT WM_POWERBROADCAST = 0x0218;
inline constexpr ui::WPARAM PBT_APMSUSPEND = 4;
inline constexpr ui::WPARAM PBT_APMRESUMEAUTOMATIC = 18;

// The registered messages shared with other processes, filled once at start-up.
struct AppMessages {
    ui::UINT appInstance = 0;
    ui::UINT setWindowForward = 0;
    ui::UINT lightControlAnnounce = 0;
    ui::UINT lightControlRequest = 0;
    ui::UINT audioToolQuery = 0;
    ui::UINT audioStyle = 0;
    // The hook messages the window passes on to key capture and macro recording.
    std::array<ui::UINT, 10> hook{};
    ui::UINT hookHitKey = 0;  // registered, ignored
    std::array<ui::UINT, 4> game{};

    bool IsHook(ui::UINT msg) const;
    // The messages other processes may post here: those whose wParam and lParam are
    // values. The hook messages carry pointers into this process and stay inside it.
    std::vector<ui::UINT> FromOtherProcesses() const;
    bool IsGame(ui::UINT msg) const;
};

// Registers the wake-up message; 0 when the message layer could not give one.
ui::UINT RegisterAppInstanceMessage();
// Registers the rest, in their fixed order, and returns all of them.
const AppMessages& RegisterAppMessages();
// What RegisterAppMessages filled (zeros before it ran).
const AppMessages& Messages();

// The names of the ten hook messages, in the order of AppMessages::hook.
extern const std::array<std::string_view, 10> kHookMessageNames;

}  // namespace vivori::app
