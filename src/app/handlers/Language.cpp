// The user-interface language: the stored choice (or the locale's on a first start),
// applied to every open window, with the fonts its letters need.

#include "app/AppMessages.h"
#include "app/CMainWnd.h"
#include "app/LanguageFonts.h"
#include "device/SupportedDevices.h"
#include "panels/CKeySetControlUI.h"
#include "platform/Debug.h"
#include "profiles/LanguageConfig.h"
#include "profiles/LanguageSetting.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

namespace {

std::vector<profiles::LanguageEntry> Languages() {
    return profiles::ReadLanguageConfig(
        profiles::LanguageConfigFile(profiles::DataFolders::FromEnvironment()));
}

}  // namespace

int CMainWnd::ReadStoredLanguage() const {
    const auto folders = profiles::DataFolders::FromEnvironment();
    return int(profiles::StartLanguageIndex(Languages(), profiles::ReadLanguageSetting(folders),
                                            profiles::MessageLocale()));
}

void CMainWnd::SetUIFonts(std::string_view face) {
    const std::string name(face);
    pm_.AddFont({0, name, 12, false, false}, true);
    pm_.AddFont({1, name, 12, false, true});
    for (int id = 2; id <= 11; ++id) pm_.AddFont({id, name, 12, false, false});
    pm_.AddFont({50, name, 12, true, false});
}

void CMainWnd::ApplyLanguage(int index, bool store) {
    if (index == languageIndex_) return;
    const std::vector<profiles::LanguageEntry> languages = Languages();
    const profiles::LanguageEntry entry = index >= 0 && std::size_t(index) < languages.size()
                                              ? languages[std::size_t(index)]
                                              : profiles::LanguageEntry{};
    if (options_.fonts && LanguageFonts::NeedsCjk(entry.name, entry.id)) options_.fonts->LoadCjk();
    SetUIFonts("Roboto");
    languageIndex_ = index;
    CResourceManager& resources = CResourceManager::GetInstance();
    resources.SetLanguage(entry.name);
    if (!entry.file.empty()) resources.LoadLanguage(entry.file);
    resources.ReloadText();
    // Only a choice the user made is stored, so a damaged settings file stays as it
    // is until then.
    if (store && !languages.empty()) {
        if (profiles::WriteLanguageSetting(profiles::DataFolders::FromEnvironment(), entry.id))
            DebugOutput("写成功！");
        else
            Ask("settings_write_failed_text");
    }
    for (HWND child : {childWindows_[0], childWindows_[1], childWindows_[3]})
        if (child != 0 && IsWindow(child)) SendMessage(child, kMsgLanguageChanged, 0, 0);
    for (devices::CQuorvaneUSBDevice* device : DevicesOfKind({kKindMouse, kKindKeyboard})) {
        device->LoadNameLists();
        device->RefreshPage();
        // Edits show their text as set, so the key field is filled anew.
        if (CControlUI* keys = pm_.FindSubControlByClass(device, "KeySetControlUI"))
            if (auto* panel =
                    static_cast<panels::CKeySetControlUI*>(keys->GetInterface("KeySetControl")))
                panel->RefreshTexts();
    }
    if (CControlUI* root = pm_.GetRoot()) root->NeedUpdate();
    pm_.NeedUpdate();
}

}  // namespace vivori::app
