// The main window's part of the update page: the rows to check (the application and
// the attached devices of the catalogue) and the updater for the confirmed rows.

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "app/CMainWnd.h"
#include "app/windows/CSetWnd.h"
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

UpdateSetup CMainWnd::PrepareUpdateCheck() {
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    update::HttpSettings settings = update::HttpDefaults();
    settings.extraCaFile = update::UpdateCaFile(folders);
    update::SetHttpDefaults(settings);
    const auto catalogue =
        update::LoadCatalogue(folders.DefaultDataFolder() / update::kCatalogueFile);
    return {update::UpdateEndpoint(folders), update::RowsToCheck(catalogue, AttachedForUpdate()),
            folders,
            [this](const std::vector<update::CheckedRow>& rows) { return StartUpdater(rows); }};
}

}  // namespace vivori::app
