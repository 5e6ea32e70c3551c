#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/DataFolders.h"

namespace vivori::update {

inline constexpr size_t kResponseCapacity = 102400;
inline constexpr const char* kCatalogueFile = "update_catalogue.json";
inline constexpr const char* kCheckDateFile = "updatetime.config";
inline constexpr const char* kUpdateUrlKey = "UpdateUrl";
inline constexpr const char* kUpdateCaKey = "UpdateCaFile";
// true: plain http to 127.0.0.1 is accepted (a local test service); nothing else is.
inline constexpr const char* kUpdateLoopbackHttpKey = "UpdateAllowLoopbackHttp";
inline constexpr const char* kUpdateUrlVariable = "VIVORI_UPDATE_URL";

// Row states of the update list.
enum RowState {
    kStateLessUpdate = 0,
    kStateNeedUpdate = 1,
    kStateNeedUpdate2 = 2,
    kStateDownloadWait = 3,
    kStateDownloading = 4,
    kStateDownloadDone = 5,
    kStateUpdating = 6,
    kStateUpToDate = 7,
    kStateFailed = 8,
    // The service was not asked, or gave no usable answer: nothing is known about it.
    kStateNotChecked = 9,
};
// The page's overall status.
enum OverallStatus {
    kOverallChecking = 0,
    kOverallUpdates = 1,
    kOverallUnreachable = 2,
    kOverallUpdating = 3,
    kOverallUpToDate = 4,
    // Every confirmed row is downloaded and none is left to choose: the files wait to
    // be installed, so the page does not call that "up to date".
    kOverallDownloaded = 5,
};

// One updatable item of the catalogue: the application (kind 0) or a device's firmware,
// matched to attached devices by vendor and product id.
struct CatalogueRow {
    uint32_t kind = 0;
    uint32_t series = 1;
    uint32_t version = 0;  // filled before a check
    std::string vendorCode;
    std::string modelCode;
    std::string productName;
    std::string displayName;
    std::string nameKey;  // the name's language key, for the window
    std::string versionText;
    std::vector<std::pair<uint16_t, uint16_t>> devices;  // vendor id, product id
};

// The catalogue in the default data folder; rows with bad members are skipped.
std::vector<CatalogueRow> LoadCatalogue(const std::filesystem::path& file);
// vendor "_" kind "_" model "_" product "_" series, or "NULL" for a row without version.
std::string ApplicationKey(const CatalogueRow& row);

// The program's own version, "1.2.0" read as 120.
uint32_t InstalledVersion();
// The application's version as About shows it ("2.0.0") from its number (200).
std::string DottedVersion(uint32_t version);
uint32_t VersionNumber(std::string_view dotted);

// The endpoint's base address: VIVORI_UPDATE_URL, else the settings' "UpdateUrl";
// empty when neither names one. An extra CA file comes from "UpdateCaFile".
std::string UpdateEndpoint(const profiles::DataFolders& folders);
std::string UpdateCaFile(const profiles::DataFolders& folders);
bool UpdateAllowsLoopbackHttp(const profiles::DataFolders& folders);

struct UpdateResult {
    int status = 0;  // 1 an update, 7 up to date, 0 no answer
    // No usable answer: not sent, an HTTP error status, cut off, or no JSON object.
    bool failed = false;
    std::string failure;  // why, for the debug output
    int64_t deviceId = 0;
    std::string name;
    std::string currentVersionText;
    std::string versionName;
    std::string newVersionText;
    std::string path;    // where to download from
    std::string sha256;  // the download's digest, 64 lower-case hex digits, or empty
    std::filesystem::path localFile;
};

// One request to <endpoint>updates for an item; every member of the answer is
// type-checked, and a name can only give a file inside updateFolder.
UpdateResult UpdateCheck(const std::string& endpoint, const std::string& key, uint32_t localVersion,
                         uint32_t kind, const std::filesystem::path& updateFolder);

// What the service answered (the HTTP body), read as UpdateCheck reads it: members of
// the wrong type count as missing, and anything that is no JSON object is a failure.
UpdateResult ReadUpdateAnswer(std::string_view answer, uint32_t localVersion, uint32_t kind,
                              const std::filesystem::path& updateFolder);

// "<folder>/<safe base name of name><extension>": no separator, no "..", nothing hidden.
std::filesystem::path SafeLocalFile(const std::filesystem::path& folder, const std::string& name,
                                    const std::string& extension = "");
// The extension the download's address gives its file (".bin", ".deb"), so the local
// file says what it is; empty when the address has none (or an odd one).
std::string DownloadExtension(std::string_view url);
// A SHA-256 as the service must give it: 64 hex digits.
bool IsSha256(std::string_view text);

// The check date file holds year-month-day.
std::string TodayText();
std::optional<std::string> ReadCheckDate(const profiles::DataFolders& folders);
bool WriteCheckDate(const profiles::DataFolders& folders, const std::string& text);

// The row a check shows.
struct CheckedRow {
    std::string displayName;
    std::string nameKey;  // shown instead of displayName where a language is at hand
    std::string currentVersionText;
    std::string newVersionText;
    int state = kStateUpToDate;
    std::string downloadPath;
    std::string sha256;
    std::filesystem::path localFile;
    bool failed = false;  // the service gave no usable answer for it
    // A language key when the update cannot be offered (no digest to check it with).
    std::string refusal;
};

// The rows before any answer: own values, "not checked".
CheckedRow InitialRow(const CatalogueRow& row);
// Checks one row against the endpoint.
CheckedRow CheckRow(const std::string& endpoint, const CatalogueRow& row,
                    const std::filesystem::path& updateFolder);
// Whether a checked row's update can be chosen: newer, answered, with a digest.
bool Offered(const CheckedRow& row);
// The overall status once every row is checked: updates when one can be offered, else
// unreachable when any row failed, else up to date.
int OverallOf(const std::vector<CheckedRow>& rows);
// Rows whose answers name the same file get " (2)", " (3)", ... so that no download
// replaces another's.
void MakeLocalFilesDistinct(std::vector<CheckedRow>& rows);

// The rows to check: the application, and each device row whose device is attached
// (by vendor and product id), with its firmware version.
struct AttachedDevice {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint32_t firmwareVersion = 0;
};
std::vector<CatalogueRow> RowsToCheck(const std::vector<CatalogueRow>& catalogue,
                                      const std::vector<AttachedDevice>& attached);

}  // namespace vivori::update
