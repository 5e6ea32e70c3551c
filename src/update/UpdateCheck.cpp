#include "update/UpdateCheck.h"

#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <set>

#include "platform/Debug.h"
#include "profiles/JsonFile.h"
#include "update/HttpClient.h"

#ifndef VIVORI_VERSION
#error "VIVORI_VERSION comes from the project's version in CMake"
#endif

namespace vivori::update {
namespace {

namespace fs = std::filesystem;

std::string StringMember(const Json::Value& object, const char* key) {
    const Json::Value& value = profiles::JsonMember(object, key);
    return value.isString() ? value.asString() : std::string();
}

// The leading digits of text in base, as strtoul reads them; 0 when there are none.
uint32_t LeadingNumber(std::string_view text, int base) {
    size_t begin = 0;
    while (begin < text.size() && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    uint32_t value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + begin, text.data() + text.size(), value, base);
    (void)end;
    return error == std::errc() ? value : 0;
}

std::string Hex4(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "V%04x", value);
    return text;
}

fs::path SettingsFile(const profiles::DataFolders& folders) {
    return folders.SettingsFolder() / "settings.json";
}

// "V" and the digits, appended: g++ 12 at -O3 takes "V" + string for an overlapping copy.
std::string VersionText(const std::string& digits) {
    return std::string("V").append(digits);
}

}  // namespace

std::vector<CatalogueRow> LoadCatalogue(const fs::path& file) {
    std::vector<CatalogueRow> rows;
    const Json::Value document = profiles::ReadJsonFile(file);
    const Json::Value& list = profiles::JsonMember(document, "Rows");
    if (!list.isArray()) return rows;
    for (const Json::Value& item : list) {
        if (!item.isObject()) continue;
        CatalogueRow row;
        const auto kind = profiles::AsInt64(item["Kind"]);
        const auto series = profiles::AsInt64(item["Series"]);
        if (!kind || *kind < 0 || *kind > 0xFFFF) continue;
        row.kind = uint32_t(*kind);
        row.series = series && *series >= 0 && *series <= 0xFFFF ? uint32_t(*series) : 1;
        row.vendorCode = StringMember(item, "VendorCode");
        row.modelCode = StringMember(item, "ModelCode");
        row.productName = StringMember(item, "ProductName");
        row.displayName = StringMember(item, "DisplayName");
        row.versionText = StringMember(item, "VersionText");
        row.nameKey = StringMember(item, "NameKey");
        if (item["Devices"].isArray())
            for (const Json::Value& device : item["Devices"]) {
                const uint32_t vid = LeadingNumber(StringMember(device, "VendorId"), 16);
                const uint32_t pid = LeadingNumber(StringMember(device, "ProductId"), 16);
                if (vid != 0 && vid <= 0xFFFF && pid != 0 && pid <= 0xFFFF)
                    row.devices.emplace_back(uint16_t(vid), uint16_t(pid));
            }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ApplicationKey(const CatalogueRow& row) {
    if (row.version == 0) return "NULL";
    return row.vendorCode + "_" + std::to_string(row.kind) + "_" + row.modelCode + "_" +
           row.productName + "_" + std::to_string(row.series);
}

uint32_t VersionNumber(std::string_view dotted) {
    std::string digits;
    for (char c : dotted)
        if (c != '.') digits += c;
    return LeadingNumber(digits, 10);
}

uint32_t InstalledVersion() {
    return VersionNumber(VIVORI_VERSION);
}

std::string DottedVersion(uint32_t version) {
    // The number is the dotted version's digits run together: they are parted again.
    if (version == InstalledVersion()) return VIVORI_VERSION;
    std::string dotted;
    for (char digit : std::to_string(version)) {
        if (!dotted.empty()) dotted += '.';
        dotted += digit;
    }
    return dotted;
}

std::string UpdateEndpoint(const profiles::DataFolders& folders) {
    if (const char* variable = std::getenv(kUpdateUrlVariable); variable && *variable)
        return variable;
    return StringMember(profiles::ReadJsonFile(SettingsFile(folders)), kUpdateUrlKey);
}

std::string UpdateCaFile(const profiles::DataFolders& folders) {
    return StringMember(profiles::ReadJsonFile(SettingsFile(folders)), kUpdateCaKey);
}

bool UpdateAllowsLoopbackHttp(const profiles::DataFolders& folders) {
    const Json::Value document = profiles::ReadJsonFile(SettingsFile(folders));
    const Json::Value& value = profiles::JsonMember(document, kUpdateLoopbackHttpKey);
    return value.isBool() && value.asBool();
}

fs::path SafeLocalFile(const fs::path& folder, const std::string& name,
                       const std::string& extension) {
    // Only the last path element of the name counts, in either separator.
    std::string base = name.substr(
        name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
    std::string safe;
    for (unsigned char c : base)
        safe += (c < 0x20 || c == 0x7F || c == ':' || c == '*' || c == '?' || c == '"' ||
                 c == '<' || c == '>' || c == '|')
                    ? '_'
                    : char(c);
    // No hidden file, no "." or "..".
    while (!safe.empty() && (safe.front() == '.' || safe.front() == ' ')) safe.erase(0, 1);
    if (safe.size() > 120) safe.resize(120);
    if (safe.empty()) safe = "update";
    // A name that already ends in the extension keeps just the one.
    const bool hasIt = !extension.empty() && safe.size() > extension.size() &&
                       safe.compare(safe.size() - extension.size(), extension.size(), extension) == 0;
    return folder / (hasIt ? safe : safe + extension);
}

std::string DownloadExtension(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    const size_t slash = url.find_last_of('/');
    const std::string_view file = slash == std::string_view::npos ? url : url.substr(slash + 1);
    const size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    const std::string_view extension = file.substr(dot + 1);
    if (extension.empty() || extension.size() > 8) return {};
    for (unsigned char c : extension)
        if (!std::isalnum(c)) return {};
    std::string withDot(".");
    withDot.append(extension);  // not "." + string: GCC 12 at -O3 warns of a false overlap
    return withDot;
}

bool IsSha256(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
               return std::isxdigit(c) != 0;
           });
}

UpdateResult UpdateCheck(const std::string& endpoint, const std::string& key, uint32_t localVersion,
                         uint32_t kind, const fs::path& updateFolder) {
    UpdateResult result;
    std::string url = endpoint;
    if (!url.empty() && url.back() != '/') url += '/';
    url += "updates";
    char version[32];
    std::snprintf(version, sizeof version, kind != 0 ? "%x" : "%u", localVersion);
    const std::string body = "app_key=" + key + "&version=" + version;
    auto buffer = std::make_unique<char[]>(kResponseCapacity);  // zero-filled
    ResetHttpSettings();
    HttpOutcome outcome;
    const int bytes = HttpRequest("POST", url, body.c_str(), int(body.size()) + 1, buffer.get(),
                                  kResponseCapacity, &outcome);
    if (bytes <= 0 || !outcome.complete || outcome.status < 200 || outcome.status > 299) {
        // An error page, a redirect, a cut-off or missing answer says nothing about the
        // item: it is a failure, not "up to date".
        result.failed = true;
        result.name = std::string(buffer.get());
        result.failure = bytes <= 0 && outcome.status == 0 ? outcome.reason
                         : !outcome.complete             ? "incomplete answer: " + outcome.reason
                                             : "HTTP status " + std::to_string(outcome.status);
        return result;
    }
    return ReadUpdateAnswer(std::string_view(buffer.get(), size_t(bytes)), localVersion, kind,
                            updateFolder);
}

UpdateResult ReadUpdateAnswer(std::string_view text, uint32_t localVersion, uint32_t kind,
                              const fs::path& updateFolder) {
    UpdateResult result;
    Json::Value answer;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    // The body goes with its terminating zero: a trailing one is no part of the answer.
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    if (!reader->parse(text.data(), text.data() + text.size(), &answer, &errors) ||
        !answer.isObject()) {
        result.failed = true;
        result.failure = "the answer is no JSON object";
        return result;
    }
    result.path = StringMember(answer, "path");
    result.name = StringMember(answer, "name");
    result.versionName = StringMember(answer, "version_name");
    result.sha256 = StringMember(answer, "sha256");
    if (!IsSha256(result.sha256)) result.sha256.clear();
    std::transform(result.sha256.begin(), result.sha256.end(), result.sha256.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const Json::Value& id = answer["device_id"];
    // Whole numbers beyond the signed range are no id (reading one as such would throw).
    if (id.isInt64()) result.deviceId = id.asInt64();
    std::string versionText;
    const Json::Value& versionValue = answer["version"];
    if (versionValue.isString())
        versionText = versionValue.asString();
    else if (versionValue.isUInt64())
        versionText = std::to_string(versionValue.asUInt64());
    result.newVersionText = VersionText(versionText);
    const uint32_t serviceVersion = LeadingNumber(versionText, kind != 0 ? 16 : 10);
    if (kind != 0) {
        result.currentVersionText = Hex4(localVersion);
    } else {
        result.currentVersionText = DottedVersion(localVersion);
        result.newVersionText = result.versionName;
    }
    result.status =
        int32_t(serviceVersion) > int32_t(localVersion) ? kStateNeedUpdate : kStateUpToDate;
    if (!result.name.empty())
        result.localFile =
            SafeLocalFile(updateFolder, result.name, DownloadExtension(result.path));
    return result;
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

std::optional<std::string> ReadCheckDate(const profiles::DataFolders& folders) {
    const Json::Value document = profiles::ReadJsonFile(folders.UserDataFolder() / kCheckDateFile);
    const Json::Value& value =
        profiles::JsonMember(profiles::JsonMember(document, "updatelasttime"), "value");
    if (!value.isString()) return std::nullopt;
    return value.asString();
}

bool WriteCheckDate(const profiles::DataFolders& folders, const std::string& text) {
    Json::Value document(Json::objectValue);
    document["updatelasttime"]["value"] = text;
    return profiles::WriteJsonFile(folders.UserDataFolder() / kCheckDateFile, document);
}

CheckedRow InitialRow(const CatalogueRow& row) {
    CheckedRow shown;
    shown.displayName = row.displayName;
    shown.nameKey = row.nameKey;
    shown.currentVersionText = row.kind != 0 ? Hex4(row.version) : row.versionText;
    shown.state = kStateNotChecked;
    return shown;
}

CheckedRow CheckRow(const std::string& endpoint, const CatalogueRow& row,
                    const fs::path& updateFolder) {
    UpdateResult result =
        UpdateCheck(endpoint, ApplicationKey(row), row.version, row.kind, updateFolder);
    if (result.failed) {
        DebugPrintf("update check of %s failed: %s", ApplicationKey(row).c_str(),
                    result.failure.c_str());
        CheckedRow own = InitialRow(row);
        own.failed = true;
        return own;
    }
    if (result.name.empty()) {
        // Answered, but about nothing the service has: the row keeps its own values.
        CheckedRow own = InitialRow(row);
        own.state = kStateUpToDate;
        return own;
    }
    CheckedRow shown;
    shown.displayName = row.displayName;
    shown.nameKey = row.nameKey;
    shown.currentVersionText = result.currentVersionText;
    shown.state = result.status;
    shown.newVersionText = result.status == kStateUpToDate ? std::string() : result.newVersionText;
    shown.downloadPath = result.path;
    shown.sha256 = result.sha256;
    shown.localFile = result.localFile;
    if (shown.state != kStateUpToDate && shown.sha256.empty()) {
        // Nothing to check the download against: not offered.
        DebugPrintf("update of %s refused: the answer gives no SHA-256", ApplicationKey(row).c_str());
        shown.state = kStateFailed;
        shown.refusal = "update_no_digest_text";
    }
    return shown;
}

bool Offered(const CheckedRow& row) {
    return row.refusal.empty() && !row.failed &&
           (row.state == kStateNeedUpdate || row.state == kStateNeedUpdate2);
}

int OverallOf(const std::vector<CheckedRow>& rows) {
    bool update = false;
    bool failed = false;
    for (const CheckedRow& row : rows) {
        update = update || Offered(row);
        failed = failed || row.failed || !row.refusal.empty() || row.state == kStateNotChecked;
    }
    if (update) return kOverallUpdates;
    return failed ? kOverallUnreachable : kOverallUpToDate;
}

void MakeLocalFilesDistinct(std::vector<CheckedRow>& rows) {
    std::set<fs::path> taken;
    for (CheckedRow& row : rows) {
        if (row.localFile.empty()) continue;
        const fs::path folder = row.localFile.parent_path();
        // Short enough that the number survives the name's length limit.
        const std::string extension = row.localFile.extension().string();
        const std::string stem = row.localFile.stem().string().substr(0, 100);
        for (int n = 2; taken.count(row.localFile) != 0; ++n)
            row.localFile =
                SafeLocalFile(folder, stem + " (" + std::to_string(n) + ")", extension);
        taken.insert(row.localFile);
    }
}

std::vector<CatalogueRow> RowsToCheck(const std::vector<CatalogueRow>& catalogue,
                                      const std::vector<AttachedDevice>& attached) {
    std::vector<CatalogueRow> rows;
    for (CatalogueRow row : catalogue) {
        row.version = 0;
        if (row.kind == 0) {
            row.version = InstalledVersion();
            // As About shows it.
            row.versionText = DottedVersion(row.version);
        } else {
            for (const AttachedDevice& device : attached)
                for (const auto& [vid, pid] : row.devices)
                    if (device.vendorId == vid && device.productId == pid && device.firmwareVersion)
                        row.version = device.firmwareVersion;
        }
        if (row.version != 0) rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace vivori::update
