#include "app/AppMessages.h"

#include <algorithm>

#include "devices/DeviceMessages.h"
#include "platform/Debug.h"
#include "ui/message/Messages.h"

namespace vivori::app {
namespace {

AppMessages messages;

}  // namespace

const std::array<std::string_view, 10> kHookMessageNames = {
    "WM_HOOK_KEY_SINGLEKEY_MSG",     "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",       "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",  "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",  "WM_HOOK_KEY_KBMACROSINGLE_MSG"};

bool AppMessages::IsHook(ui::UINT msg) const {
    return msg != 0 && std::find(hook.begin(), hook.end(), msg) != hook.end();
}

bool AppMessages::IsGame(ui::UINT msg) const {
    return msg != 0 && std::find(game.begin(), game.end(), msg) != game.end();
}

std::vector<ui::UINT> AppMessages::FromOtherProcesses() const {
    std::vector<ui::UINT> messages{appInstance,         setWindowForward, lightControlAnnounce,
                                   lightControlRequest, audioToolQuery};
    messages.insert(messages.end(), game.begin(), game.end());
    std::erase(messages, ui::UINT(0));
    return messages;
}

ui::UINT RegisterAppInstanceMessage() {
    messages.appInstance = devices::AppInstanceMessage();
    DebugPrintf("软件标示：%u", messages.appInstance);
    return messages.appInstance;
}

const AppMessages& RegisterAppMessages() {
    if (messages.appInstance == 0) RegisterAppInstanceMessage();
    messages.setWindowForward = ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    messages.lightControlAnnounce =
        ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    messages.lightControlRequest =
        ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    messages.audioToolQuery = ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}");
    messages.audioStyle = ui::RegisterWindowMessage(kAudioStyleMessageName);
    for (size_t i = 0; i < kHookMessageNames.size(); ++i)
        messages.hook[i] = ui::RegisterWindowMessage(kHookMessageNames[i]);
    messages.hookHitKey = ui::RegisterWindowMessage("WM_HOOK_KEY_HITKEY_MSG");
    const std::array<std::string_view, 4> games = {"Game_Start", "Game_End", "Game_Kill",
                                                   "Game_Death"};
    for (size_t i = 0; i < games.size(); ++i)
        messages.game[i] = ui::RegisterWindowMessage(games[i]);
    return messages;
}

const AppMessages& Messages() {
    return messages;
}

}  // namespace vivori::app
