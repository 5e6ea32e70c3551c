// vivori-ctl update check: the update check of the settings window, run with the
// attached (or simulated) devices; one tab-separated line per row, then the overall
// status.

#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "device/SupportedDevices.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

namespace vivori::ctl {
namespace {

// The attached devices of the family, on the cable, with their firmware version word
// (information block bytes 0-1).
std::vector<update::AttachedDevice> Attached(const Options& options) {
    std::vector<update::AttachedDevice> attached;
    for (const char* kind : {"keyboard", "mouse", "pad"}) {
        Options probe = options;
        probe.device = kind;
        probe.link = "cable";
        DeviceSession session;
        std::string error;
        session = OpenDevice(probe, &error);
        if (!session.transport) continue;
        uint8_t info[kInfoSize] = {};
        if (session.transport->ReadInfo(info) != CMD_OK) continue;
        for (const DeviceDescriptor& row : SupportedDevices())
            if (row.kind == session.kind && row.link == kLinkCommand) {
                attached.push_back({row.vid, row.pid, uint32_t(info[0] | info[1] << 8)});
                break;
            }
    }
    return attached;
}

int RunUpdate(const Options& options) {
    const auto& args = options.args;
    if (args.empty() || args[0] != "check")
        return Fail("usage: update check [--url URL] [--ca FILE]"), kExitUsage;
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    std::string url = update::UpdateEndpoint(folders);
    update::HttpSettings settings;
    settings.extraCaFile = update::UpdateCaFile(folders);
    settings.allowLoopbackHttp = update::UpdateAllowsLoopbackHttp(folders);
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--url" && i + 1 < args.size())
            url = args[++i];
        else if (args[i] == "--ca" && i + 1 < args.size())
            settings.extraCaFile = args[++i];
        else
            return Fail("usage: update check [--url URL] [--ca FILE]"), kExitUsage;
    }
    if (url.empty())
        return Fail(
                   "no update address: set \"UpdateUrl\" in settings.json, VIVORI_UPDATE_URL or "
                   "--url"),
               kExitFailure;
    update::SetHttpDefaults(settings);
    const auto catalogue =
        update::LoadCatalogue(folders.DefaultDataFolder() / update::kCatalogueFile);
    std::vector<update::CheckedRow> rows;
    for (const auto& row : update::RowsToCheck(catalogue, Attached(options)))
        rows.push_back(update::CheckRow(url, row, folders.UpdateFolder()));
    update::MakeLocalFilesDistinct(rows);
    if (options.json) {
        Json::Value document(Json::objectValue);
        Json::Value& list = document["rows"] = Json::Value(Json::arrayValue);
        for (const auto& shown : rows) {
            Json::Value row(Json::objectValue);
            row["name"] = shown.displayName;
            row["current"] = shown.currentVersionText;
            row["new"] = shown.newVersionText;
            row["state"] = shown.state;
            row["localFile"] = shown.localFile.string();
            list.append(row);
        }
        document["overall"] = update::OverallOf(rows);
        PrintJson(document);
        return 0;
    }
    for (const auto& shown : rows)
        std::printf("%s\t%s\t%s\t%d\t%s\n", shown.displayName.c_str(),
                    shown.currentVersionText.c_str(), shown.newVersionText.c_str(), shown.state,
                    shown.localFile.c_str());
    std::printf("%d\n", update::OverallOf(rows));
    return 0;
}

Registrar registrar(
    {.name = "update",
     .usage = "update check [--url URL] [--ca FILE]",
     .summary = "asks the update service about the application and the attached devices",
     .run = &RunUpdate,
     .help = "  check            one line per row, tab-separated: name, current version, new\n"
             "                   version, state, local file; then the overall status\n"
             "  --url URL        the service (default: settings.json \"UpdateUrl\" or\n"
             "                   VIVORI_UPDATE_URL); https only, or plain http on loopback\n"
             "                   when the settings allow it\n"
             "  --ca FILE        a further certificate authority to trust\n"
             "example:\n"
             "  vivori-ctl --simulate keyboard update check --url https://127.0.0.1:9/api/\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
