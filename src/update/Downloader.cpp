#include "update/Downloader.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include "platform/Debug.h"
#include "platform/PrivateFolder.h"
#include "update/CurlLibrary.h"
#include "update/HttpClient.h"
#include "update/UpdateCheck.h"

namespace vivori::update {
namespace {

namespace fs = std::filesystem;

struct Digest {
    Digest() : context(EVP_MD_CTX_new(), &EVP_MD_CTX_free) {
        EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
    }
    void Add(const void* data, size_t size) { EVP_DigestUpdate(context.get(), data, size); }
    std::string Hex() {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_DigestFinal_ex(context.get(), out, &length);
        std::string text;
        char two[3];
        for (unsigned int i = 0; i < length; ++i) {
            std::snprintf(two, sizeof two, "%02x", out[i]);
            text += two;
        }
        return text;
    }
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context;
};

struct Transfer {
    int fd = -1;
    Digest digest;
    uint64_t bytes = 0;
    uint64_t maxBytes = 0;
    bool tooLarge = false;
    int lastPercent = -1;
    const std::function<void(int)>* progress = nullptr;
    // The overall deadline: a base time plus the time the size takes at the slowest
    // rate still accepted.
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int64_t baseMs = 0;
    uint64_t minBytesPerSecond = 0;
    bool late = false;
    int64_t allowedMs = 0;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->bytes + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    for (size_t done = 0; done < bytes;) {
        const ssize_t wrote = write(transfer->fd, data + done, bytes - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return 0;
        done += size_t(wrote);
    }
    transfer->digest.Add(data, bytes);
    transfer->bytes += bytes;
    return bytes;
}

int Progress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    if (transfer->baseMs > 0) {
        const uint64_t size = uint64_t(std::max<curl_off_t>({total, now, 0}));
        const uint64_t rate = std::max<uint64_t>(transfer->minBytesPerSecond, 1);
        transfer->allowedMs = transfer->baseMs + int64_t(size * 1000 / rate);
        const auto elapsed = std::chrono::steady_clock::now() - transfer->start;
        if (elapsed > std::chrono::milliseconds(transfer->allowedMs)) {
            transfer->late = true;
            return 1;
        }
    }
    if (total > 0 && static_cast<uint64_t>(total) > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 1;  // announced too large: stop before receiving it
    }
    if (total > 0 && transfer->progress && *transfer->progress) {
        const int percent = static_cast<int>(now * 100 / total);
        if (percent != transfer->lastPercent) {
            transfer->lastPercent = percent;
            (*transfer->progress)(percent);
        }
    }
    return 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The part file, created anew so that nothing already there (a link, another file) is
// written through; a stale one of an earlier run in the private folder is removed.
int CreatePart(int folder, const std::string& name) {
    unlinkat(folder, name.c_str(), 0);
    return openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0600);
}

}  // namespace

std::string FileSha256(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    Digest digest;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        digest.Add(buffer, size_t(in.gcount()));
    return digest.Hex();
}

DownloadResult Download(const std::string& url, const fs::path& target, uint64_t maxBytes,
                        const std::string& expectedSha256,
                        const std::function<void(int percent)>& progress) {
    DownloadResult result;
    const bool initialised = LoadCurl() != nullptr;
    const HttpSettings settings = HttpDefaults();
    if (!initialised) {
        result.error = "the transfer library did not start";
        return result;
    }
    if (!AddressAllowed(url, settings, &result.error)) return result;
    if (!IsSha256(expectedSha256)) {
        result.error = "no SHA-256 to check the download against";
        return result;
    }
    const std::string fileName = target.filename().string();
    if (fileName.empty() || fileName == "." || fileName == "..") {
        result.error = "no file name for the download";
        return result;
    }
    // Checked once and then used by descriptor: the file is written, checked and
    // renamed inside the folder that was found private.
    const int folder = OpenPrivateFolder(target.parent_path().string());
    if (folder < 0) {
        result.error = "the update folder " + target.parent_path().string() +
                       " is missing or not private to this user";
        return result;
    }
    const std::string partName = fileName + ".part";
    Transfer transfer;
    transfer.fd = CreatePart(folder, partName);
    transfer.maxBytes = maxBytes;
    transfer.progress = &progress;
    transfer.baseMs = settings.totalTimeoutMs;
    transfer.minBytesPerSecond = settings.downloadMinBytesPerSecond;
    if (transfer.fd < 0) {
        result.error = "cannot create " + (target.parent_path() / partName).string() + ": " +
                       std::strerror(errno);
        close(folder);
        return result;
    }
    std::error_code error;
    CURL* curl = Curl().easy_init();
    char reason[CURL_ERROR_SIZE] = {};
    Curl().easy_setopt(curl, CURLOPT_URL, url.c_str());
    Curl().easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    Curl().easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(curl, CURLOPT_USERAGENT, settings.userAgent.c_str());
    Curl().easy_setopt(curl, CURLOPT_PROTOCOLS_STR,
                       settings.allowLoopbackHttp ? "http,https" : "https");
    Curl().easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    Curl().easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    Curl().easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    Curl().easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    Curl().easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    Curl().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.extraCaFile.empty()) {
        Curl().easy_setopt(curl, CURLOPT_CAINFO, settings.extraCaFile.c_str());
        if (fs::is_directory("/etc/ssl/certs", error))
            Curl().easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    if (settings.connectTimeoutMs > 0)
        Curl().easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(settings.connectTimeoutMs));
    if (settings.receiveTimeoutMs > 0) {
        Curl().easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        Curl().easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                           std::max(1L, long(settings.receiveTimeoutMs / 1000)));
    }
    Curl().easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
    Curl().easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    Curl().easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
    Curl().easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    Curl().easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = Curl().easy_perform(curl);
    Curl().easy_cleanup(curl);
    const bool flushed = fsync(transfer.fd) == 0;
    close(transfer.fd);
    result.bytes = transfer.bytes;
    result.sha256 = transfer.digest.Hex();
    const fs::path partial = target.parent_path() / partName;
    if (transfer.late)
        result.error = "not complete within " + std::to_string(transfer.allowedMs) + " ms";
    else if (transfer.tooLarge)
        result.error = "the download is larger than " + std::to_string(maxBytes) + " bytes";
    else if (code != CURLE_OK)
        result.error = reason[0] ? reason : Curl().easy_strerror(code);
    else if (!flushed)
        result.error = "cannot write " + partial.string();
    else if (Lower(expectedSha256) != result.sha256)
        result.error =
            "SHA-256 mismatch: expected " + Lower(expectedSha256) + ", got " + result.sha256;
    if (result.error.empty() && renameat(folder, partName.c_str(), folder, fileName.c_str()) != 0)
        result.error = "cannot move the download to " + target.string();
    if (!result.error.empty()) unlinkat(folder, partName.c_str(), 0);
    close(folder);
    if (!result.error.empty()) {
        DebugPrintf("Download %s: %s", url.c_str(), result.error.c_str());
        return result;
    }
    if (progress) progress(100);
    result.ok = true;
    return result;
}

}  // namespace vivori::update
