#include "update/Downloader.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>

#include "platform/Debug.h"
#include "update/HttpClient.h"

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
    std::FILE* file = nullptr;
    Digest digest;
    uint64_t bytes = 0;
    uint64_t maxBytes = 0;
    bool tooLarge = false;
    int lastPercent = -1;
    const std::function<void(int)>* progress = nullptr;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->bytes + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    if (std::fwrite(data, 1, bytes, transfer->file) != bytes) return 0;
    transfer->digest.Add(data, bytes);
    transfer->bytes += bytes;
    return bytes;
}

int Progress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
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
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    const bool web = url.rfind("https://", 0) == 0 || url.rfind("http://", 0) == 0;
    if (!initialised || !web || target.empty()) {
        result.error =
            web ? "the transfer library did not start" : "not an http(s) address: " + url;
        return result;
    }
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    const fs::path partial = target.string() + ".part";
    Transfer transfer;
    transfer.file = std::fopen(partial.c_str(), "wb");
    transfer.maxBytes = maxBytes;
    transfer.progress = &progress;
    if (transfer.file == nullptr) {
        result.error = "cannot write " + partial.string();
        return result;
    }
    const HttpSettings settings = HttpDefaults();
    CURL* curl = curl_easy_init();
    char reason[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, settings.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.extraCaFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, settings.extraCaFile.c_str());
        if (fs::is_directory("/etc/ssl/certs", error))
            curl_easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    if (settings.connectTimeoutMs > 0)
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(settings.connectTimeoutMs));
    if (settings.receiveTimeoutMs > 0) {
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                         std::max(1L, long(settings.receiveTimeoutMs / 1000)));
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    const bool flushed = std::fflush(transfer.file) == 0 && fsync(fileno(transfer.file)) == 0;
    std::fclose(transfer.file);
    result.bytes = transfer.bytes;
    result.sha256 = transfer.digest.Hex();
    if (transfer.tooLarge)
        result.error = "the download is larger than " + std::to_string(maxBytes) + " bytes";
    else if (code != CURLE_OK)
        result.error = reason[0] ? reason : curl_easy_strerror(code);
    else if (!flushed)
        result.error = "cannot write " + partial.string();
    else if (!expectedSha256.empty() && Lower(expectedSha256) != result.sha256)
        result.error =
            "SHA-256 mismatch: expected " + Lower(expectedSha256) + ", got " + result.sha256;
    if (result.error.empty()) {
        fs::rename(partial, target, error);
        if (error) result.error = "cannot move the download to " + target.string();
    }
    if (!result.error.empty()) {
        fs::remove(partial, error);
        DebugPrintf("Download %s: %s", url.c_str(), result.error.c_str());
        return result;
    }
    if (progress) progress(100);
    result.ok = true;
    return result;
}

}  // namespace vivori::update
