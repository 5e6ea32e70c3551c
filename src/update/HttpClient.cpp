#include "update/HttpClient.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

#include "platform/Debug.h"
#include "update/CurlLibrary.h"

namespace vivori::update {
namespace {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}
HttpSettings& Defaults() {
    static HttpSettings defaults;
    return defaults;
}
HttpSettings& Current() {
    static HttpSettings current;
    return current;
}
std::atomic<unsigned>& CancelCount() {
    static std::atomic<unsigned> count{0};
    return count;
}

// Watches a transfer: a cancel that came after it started ends it, and so does no byte
// moving either way for the send or receive time-out once connected.
struct Watcher {
    CURL* curl;
    unsigned started;
    long stallMs;
    curl_off_t moved = -1;
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();
    bool stalled = false;
};

int Watch(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto* watcher = static_cast<Watcher*>(user);
    if (CancelCount().load() != watcher->started) return 1;
    curl_off_t connected = 0;
    Curl().easy_getinfo(watcher->curl, CURLINFO_CONNECT_TIME_T, &connected);
    const auto now = std::chrono::steady_clock::now();
    if (connected == 0 || down + up != watcher->moved) {
        watcher->moved = down + up;
        watcher->since = now;
        return 0;
    }
    if (watcher->stallMs > 0 &&
        now - watcher->since > std::chrono::milliseconds(watcher->stallMs)) {
        watcher->stalled = true;
        return 1;
    }
    return 0;
}

int& LastError() {
    static int error = 0;
    return error;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

struct Sink {
    char* data;
    size_t capacity;  // bytes that may be stored, the last one kept for a terminator
    size_t used = 0;
    bool full = false;
};

size_t Write(char* chunk, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    const size_t room = sink->capacity - sink->used;
    const size_t taken = std::min(bytes, room);
    std::memcpy(sink->data + sink->used, chunk, taken);
    sink->used += taken;
    if (taken < bytes) {
        // The buffer is full: stop reading instead of receiving what cannot be kept.
        sink->full = true;
        return 0;
    }
    return bytes;
}

// A proxy named by the standard variables, which libcurl honours for this URL.
bool ProxyConfigured(std::string_view url) {
    const bool https = url.substr(0, 6) == "https:";
    for (const char* name : {https ? "https_proxy" : "http_proxy",
                             https ? "HTTPS_PROXY" : "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

struct Attempt {
    CURLcode code = CURLE_OK;
    long status = 0;  // 0: no answer came
    std::string reason;
};

Attempt Perform(const HttpSettings& settings, bool post, std::string_view url, const void* body,
                int bodyLength, bool viaProxy, Sink& sink) {
    Attempt attempt;
    CURL* curl = Curl().easy_init();
    if (curl == nullptr) {
        attempt.code = CURLE_FAILED_INIT;
        attempt.reason = "no transfer handle";
        return attempt;
    }
    char error[CURL_ERROR_SIZE] = {};
    const std::string target(url);
    Curl().easy_setopt(curl, CURLOPT_URL, target.c_str());
    Curl().easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    Curl().easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    Curl().easy_setopt(curl, CURLOPT_USERAGENT, settings.userAgent.c_str());
    Curl().easy_setopt(curl, CURLOPT_PROTOCOLS_STR,
                       settings.allowLoopbackHttp ? "http,https" : "https");
    Curl().easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    if (settings.connectTimeoutMs > 0)
        Curl().easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(settings.connectTimeoutMs));
    if (settings.totalTimeoutMs > 0)
        Curl().easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(settings.totalTimeoutMs));
    // No byte for the receive time-out ends the transfer; a send that stalls as long
    // is caught by the same rule.
    const int stallMs = std::max(settings.receiveTimeoutMs, settings.sendTimeoutMs);
    // Certificates and host names are always checked.
    Curl().easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    Curl().easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.extraCaFile.empty()) {
        // The named file adds to the system's authorities instead of replacing them.
        Curl().easy_setopt(curl, CURLOPT_CAINFO, settings.extraCaFile.c_str());
        std::error_code ignored;
        if (std::filesystem::is_directory("/etc/ssl/certs", ignored))
            Curl().easy_setopt(curl, CURLOPT_CAPATH, "/etc/ssl/certs");
    }
    // The first attempt goes direct; the retry lets libcurl take the proxy variables.
    if (!viaProxy) Curl().easy_setopt(curl, CURLOPT_PROXY, "");

    const long length = bodyLength > 0 ? bodyLength : 0;
    curl_slist* headers = nullptr;
    const std::string contentLength = "Content-Length: " + std::to_string(length);
    headers = Curl().slist_append(headers, contentLength.c_str());
    headers = Curl().slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
    headers = Curl().slist_append(headers, "Accept:application/prs.Zunik.v1+json");
    headers = Curl().slist_append(headers, "Expect:");
    Curl().easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (post || length > 0) {
        Curl().easy_setopt(curl, CURLOPT_POSTFIELDS, length > 0 ? body : "");
        Curl().easy_setopt(curl, CURLOPT_POSTFIELDSIZE, length);
        if (!post) Curl().easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    }
    Curl().easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Write);
    Curl().easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    Watcher watcher{curl, CancelCount().load(), stallMs};
    Curl().easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Watch);
    Curl().easy_setopt(curl, CURLOPT_XFERINFODATA, &watcher);
    Curl().easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    attempt.code = Curl().easy_perform(curl);
    Curl().easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &attempt.status);
    if (watcher.stalled) {
        attempt.code = CURLE_OPERATION_TIMEDOUT;
        attempt.reason = "no data for " + std::to_string(stallMs) + " ms";
    } else if (attempt.code == CURLE_OPERATION_TIMEDOUT && settings.totalTimeoutMs > 0) {
        attempt.reason =
            "no complete answer within " + std::to_string(settings.totalTimeoutMs) + " ms";
    } else if (attempt.code != CURLE_OK) {
        attempt.reason = error[0] != '\0' ? error : Curl().easy_strerror(attempt.code);
    }
    Curl().slist_free_all(headers);
    Curl().easy_cleanup(curl);
    return attempt;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && EqualNoCase(text.substr(0, start.size()), start);
}

}  // namespace

bool AddressAllowed(std::string_view url, const HttpSettings& settings, std::string* why) {
    if (StartsWith(url, "https://")) return true;
    if (settings.allowLoopbackHttp && StartsWith(url, "http://127.0.0.1")) {
        const std::string_view rest = url.substr(std::string_view("http://127.0.0.1").size());
        if (rest.empty() || rest[0] == ':' || rest[0] == '/') return true;
    }
    if (why) *why = "not an https address: " + std::string(url);
    return false;
}

void CancelHttpRequests() {
    ++CancelCount();
}

void SetHttpDefaults(const HttpSettings& defaults) {
    std::lock_guard guard(Lock());
    Defaults() = defaults;
}

HttpSettings HttpDefaults() {
    std::lock_guard guard(Lock());
    return Defaults();
}

void ResetHttpSettings() {
    std::lock_guard guard(Lock());
    Current() = Defaults();
    LastError() = 0;
}

int HttpLastError() {
    std::lock_guard guard(Lock());
    return LastError();
}

int HttpRequest(std::string_view method, std::string_view url, const void* body, int bodyLength,
                char* response, size_t capacity, HttpOutcome* outcome) {
    const bool initialised = LoadCurl() != nullptr;
    HttpSettings settings;
    {
        std::lock_guard guard(Lock());
        if (url.empty()) return LastError() = kErrorPathNotFound, -1;
        if (!EqualNoCase(method, "GET") && !EqualNoCase(method, "POST"))
            return LastError() = kErrorInvalidParameter, -1;
        settings = Current();
    }
    if (response == nullptr || capacity == 0) return -1;
    Sink sink{response, capacity - 1};
    const bool post = EqualNoCase(method, "POST");
    Attempt attempt;
    if (!initialised) {
        attempt.code = CURLE_FAILED_INIT;
        attempt.reason = "the transfer library did not start";
    } else if (!AddressAllowed(url, settings, &attempt.reason)) {
        attempt.code = CURLE_UNSUPPORTED_PROTOCOL;
    } else {
        attempt = Perform(settings, post, url, body, bodyLength, false, sink);
        const bool unreached =
            attempt.code != CURLE_ABORTED_BY_CALLBACK && attempt.status == 0 && sink.used == 0 &&
            (attempt.code == CURLE_COULDNT_CONNECT || attempt.code == CURLE_COULDNT_RESOLVE_HOST ||
             attempt.code == CURLE_OPERATION_TIMEDOUT);
        if (unreached && ProxyConfigured(url)) {
            DebugPrintf("HttpRequest: %s: %s; trying the proxy", std::string(url).c_str(),
                        attempt.reason.c_str());
            attempt = Perform(settings, post, url, body, bodyLength, true, sink);
        }
    }
    const bool fullStop = sink.full && attempt.code == CURLE_WRITE_ERROR;
    if (attempt.code != CURLE_OK && !fullStop) {
        std::lock_guard guard(Lock());
        LastError() = int(attempt.code);
        DebugPrintf("HttpRequest: %s failed: %s", std::string(url).c_str(), attempt.reason.c_str());
    }
    if (outcome) {
        outcome->status = attempt.status;
        outcome->complete = attempt.code == CURLE_OK && !sink.full;
        outcome->reason = fullStop ? "the answer is larger than the buffer" : attempt.reason;
    }
    if (attempt.status == 0 && sink.used == 0) {
        // Never answered: the caller reads the marker instead of a body.
        std::memcpy(response, kNoLinkServer.data(), std::min(kNoLinkServer.size(), capacity - 1));
        return 0;
    }
    return static_cast<int>(sink.used);
}

}  // namespace vivori::update
