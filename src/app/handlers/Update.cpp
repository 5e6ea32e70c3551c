// The main window's part of the update page: the rows to check (the application and
// the attached devices of the catalogue) and the updater for the confirmed rows.

#include "app/AppMessages.h"
#include "app/CMainWnd.h"
#include "app/windows/CSetWnd.h"
#include "platform/ChildProcess.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "ui/message/Messages.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

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

std::string CMainWnd::StartUpdater(const std::vector<update::CheckedRow>& rows, ui::HWND reportTo) {
    // Beside this program (the build tree, /usr/bin); the shipped data may be elsewhere.
    const std::string program = (ExecutableFolder() / "vivori-updater").string();
    std::vector<std::string> args{program};
    // The settings the check ran with: its authority, its address rule and its deadline.
    const update::HttpSettings settings = update::HttpDefaults();
    if (!settings.extraCaFile.empty()) args.insert(args.end(), {"--ca", settings.extraCaFile});
    if (settings.allowLoopbackHttp) args.push_back("--allow-loopback-http");
    if (settings.totalTimeoutMs > 0)
        args.insert(args.end(), {"--deadline-ms", std::to_string(settings.totalTimeoutMs)});
    if (settings.downloadMinBytesPerSecond > 0)
        args.insert(args.end(),
                    {"--min-rate", std::to_string(settings.downloadMinBytesPerSecond)});
    for (const update::CheckedRow& row : rows)
        args.insert(args.end(), {"--row", row.downloadPath, row.localFile.filename().string(),
                                 row.sha256.empty() ? "-" : row.sha256});
    std::string error;
    const auto pid = StartChild(args, &error);
    if (!pid) {
        DebugPrintf("%s could not be started: %s", program.c_str(), error.c_str());
        return program + ": " + error;
    }
    // Reaped when it ends, so no zombie stays behind; it ends with the application. Its
    // end reaches the page, which otherwise would wait for reports that never come.
    ReapChild(*pid, [reportTo](int exitCode) {
        ui::PostMessage(reportTo, kMsgUpdaterEnded, ui::WPARAM(exitCode), 0);
    });
    return {};
}

UpdateSetup CMainWnd::PrepareUpdateCheck() {
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    update::HttpSettings settings = update::HttpDefaults();
    settings.extraCaFile = update::UpdateCaFile(folders);
    settings.allowLoopbackHttp = update::UpdateAllowsLoopbackHttp(folders);
    update::SetHttpDefaults(settings);
    const auto catalogue =
        update::LoadCatalogue(folders.DefaultDataFolder() / update::kCatalogueFile);
    return {update::UpdateEndpoint(folders), update::RowsToCheck(catalogue, AttachedForUpdate()),
            folders,
            [this](const std::vector<update::CheckedRow>& rows, ui::HWND reportTo) {
                return StartUpdater(rows, reportTo);
            }};
}

}  // namespace vivori::app
