// vivori-updater: downloads the update rows the user confirmed into the update folder
// and reports progress to the application. It installs nothing: packages are
// installed by the system's package manager, and firmware files are kept for the
// user's flashing tool.
//
//   vivori-updater [--ca FILE] [--max-bytes N] [--deadline-ms N] [--min-rate BYTES]
//                  [--allow-loopback-http] --row URL NAME SHA256 [--row ...]
//
// For each row it posts the settings window's forward message to the running
// application: event 4 with the percentage while downloading, then 5 (downloaded)
// or 2 (failed). A row without a SHA-256 is refused. Exit status 0 when every row
// was downloaded.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "profiles/DataFolders.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/Messages.h"
#include "update/Downloader.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

namespace {

using namespace vivori;

struct Row {
    std::string url;
    std::string name;
    std::string sha256;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: vivori-updater [--ca FILE] [--max-bytes N] [--deadline-ms N] "
                 "[--min-rate BYTES] [--allow-loopback-http] --row URL NAME SHA256 [--row ...]\n");
    return 2;
}

void Tell(ui::UINT message, int event, int value) {
    if (message != 0) ui::BroadcastToPeers(message, ui::WPARAM(event), ui::LPARAM(value));
}

// A positive whole number, or nullopt.
std::optional<uint64_t> Number(const char* text) {
    char* end = nullptr;
    const uint64_t value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || value == 0) return std::nullopt;
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    EndWithParent();
    std::vector<Row> rows;
    uint64_t maxBytes = update::kDefaultDownloadCap;
    update::HttpSettings settings = update::HttpDefaults();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ca" && i + 1 < argc) {
            settings.extraCaFile = argv[++i];
        } else if (arg == "--max-bytes" && i + 1 < argc) {
            const auto value = Number(argv[++i]);
            if (!value) return Usage();
            maxBytes = *value;
        } else if (arg == "--deadline-ms" && i + 1 < argc) {
            const auto value = Number(argv[++i]);
            if (!value || *value > 24ull * 3600 * 1000) return Usage();
            settings.totalTimeoutMs = int(*value);
        } else if (arg == "--min-rate" && i + 1 < argc) {
            const auto value = Number(argv[++i]);
            if (!value) return Usage();
            settings.downloadMinBytesPerSecond = *value;
        } else if (arg == "--allow-loopback-http") {
            settings.allowLoopbackHttp = true;
        } else if (arg == "--row" && i + 3 < argc) {
            rows.push_back(Row{argv[i + 1], argv[i + 2], argv[i + 3]});
            i += 3;
        } else {
            return Usage();
        }
    }
    if (rows.empty()) return Usage();
    update::SetHttpDefaults(settings);
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    const std::filesystem::path folder = folders.UpdateFolder();
    const ui::UINT forward = ui::RegisterWindowMessage(update::kSetWindowForwardMessage);
    int failures = 0;
    for (const Row& row : rows) {
        update::DownloadResult result;
        if (folder.empty()) {
            result.error = "the update folder cannot be made private to this user";
        } else {
            // Whatever the name says, the file lands in the update folder.
            const auto target = update::SafeLocalFile(folder, row.name);
            int sent = -1;
            result = update::Download(row.url, target, maxBytes, row.sha256, [&](int percent) {
                if (percent == sent) return;
                sent = percent;
                std::printf("progress %d%%\n", percent);
                std::fflush(stdout);
                Tell(forward, update::kEventProgress, percent);
            });
            if (result.ok)
                std::printf("downloaded %s (%llu bytes, sha256 %s)\n", target.c_str(),
                            static_cast<unsigned long long>(result.bytes), result.sha256.c_str());
        }
        if (result.ok) {
            Tell(forward, update::kEventDownloaded, 0);
        } else {
            ++failures;
            std::fprintf(stderr, "vivori-updater: %s: %s\n", row.url.c_str(), result.error.c_str());
            Tell(forward, update::kEventFailed, 0);
        }
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
