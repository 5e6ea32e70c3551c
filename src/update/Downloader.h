#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace vivori::update {

// The message name the updater's progress reaches the settings window under (through
// the main window), and its events (wParam; lParam is the value).
inline constexpr const char* kSetWindowForwardMessage = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr int kEventFinished = 1;
inline constexpr int kEventFailed = 2;
inline constexpr int kEventFailedOther = 3;  // the updater's second failure code
inline constexpr int kEventProgress = 4;
inline constexpr int kEventDownloaded = 5;  // the file is in the update folder, nothing installed

inline constexpr uint64_t kDefaultDownloadCap = 512ull * 1024 * 1024;

struct DownloadResult {
    bool ok = false;
    std::string error;  // why not, for the user and the debug output
    uint64_t bytes = 0;
    std::string sha256;  // of what was received, lower-case hex
};

// Downloads url into target over the HTTP client's transport, certificate checks and
// address rule (AddressAllowed), within its overall deadline scaled by the size. The
// target's folder must be private to this user (see DataFolders::UpdateFolder); the
// part file is created anew in it, never through a link. The file appears only when
// complete and when its digest matches expectedSha256, which is required; more than
// maxBytes is refused. progress gets 0-100.
DownloadResult Download(const std::string& url, const std::filesystem::path& target,
                        uint64_t maxBytes, const std::string& expectedSha256,
                        const std::function<void(int percent)>& progress);

// Lower-case hex SHA-256 of a file; empty when it cannot be read.
std::string FileSha256(const std::filesystem::path& file);

}  // namespace vivori::update
