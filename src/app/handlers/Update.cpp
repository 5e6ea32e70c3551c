// The main window's update handlers: the update window with the check of the
// application and the attached devices, and the updater for the confirmed rows.

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "app/CMainWnd.h"
#include "app/windows/UpdateWnd.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "ui/message/Messages.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

extern char** environ;

namespace vivori::app {

std::vector<update::AttachedDevice> CMainWnd::AttachedForUpdate() const {
    std::vector<update::AttachedDevice> attached;
    if (!devices_) return attached;
    for (devices::CQuorvaneUSBDevice* device : devices_->Devices()) {
        if (!device->Commands().IsOpen()) continue;
        const auto& info = device->InfoBlock();
        attached.push_back({device->Descriptor().vid, device->Descriptor().pid,
                            uint32_t(info[0]) | uint32_t(info[1]) << 8});
    }
    return attached;
}

bool CMainWnd::StartUpdater(const std::vector<update::CheckedRow>& rows) {
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    // Beside this program (the build tree, /usr/bin); the shipped data may be elsewhere.
    const std::string program = (ExecutableFolder() / "vivori-updater").string();
    std::vector<std::string> args{program};
    const std::string ca = update::UpdateCaFile(folders);
    if (!ca.empty()) args.insert(args.end(), {"--ca", ca});
    for (const update::CheckedRow& row : rows)
        args.insert(args.end(), {"--row", row.downloadPath, row.localFile.stem().string(),
                                 row.sha256.empty() ? "-" : row.sha256});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        DebugPrintf("%s could not be started", program.c_str());
        return false;
    }
    // Reaped when it ends, so no zombie stays behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

CUpdateWnd* CMainWnd::OpenUpdateWindow() {
    if (childWindows_[0] != 0 && ui::IsWindow(childWindows_[0])) {
        ui::SendMessage(childWindows_[0], ui::WM_SYSCOMMAND, ui::SC_RESTORE, 0);
        return nullptr;
    }
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    update::HttpSettings settings = update::HttpDefaults();
    settings.extraCaFile = update::UpdateCaFile(folders);
    update::SetHttpDefaults(settings);
    auto* window = new CUpdateWnd(
        [this](const std::vector<update::CheckedRow>& rows) { return StartUpdater(rows); },
        GetHWND());
    if (window->Create(GetHWND(), "update", ui::WS_POPUP, 0) == 0) {
        delete window;
        return nullptr;
    }
    childWindows_[0] = window->GetHWND();
    window->CenterWindow();
    window->ShowWindow(true);
    const auto catalogue = update::LoadCatalogue(folders.DefaultDataFolder() / update::kCatalogueFile);
    window->StartCheck(update::UpdateEndpoint(folders),
                       update::RowsToCheck(catalogue, AttachedForUpdate()), folders);
    return window;
}

void CMainWnd::BindUpdateHandlers() {
    // The settings button opens the update page until the settings window hosts it.
    handlers_["OpenSettingsAnchored"] = [this](ui::TNotifyUI&, int) { OpenUpdateWindow(); };
}

}  // namespace vivori::app
