#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vivori::update {

// Written at the start of the response when the request could never be sent.
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";
inline constexpr int kErrorPathNotFound = 3;       // empty URL
inline constexpr int kErrorInvalidParameter = 87;  // method other than GET or POST

// The client's settings; ResetHttpSettings restores the defaults before each request.
struct HttpSettings {
    std::string userAgent = "WinHTTP Client/1.0";
    int resolveTimeoutMs = 0;  // 0: the system's
    int connectTimeoutMs = 60000;
    int sendTimeoutMs = 30000;
    int receiveTimeoutMs = 30000;
    // Certificates are always checked against the system's trust store; this file
    // adds certificate authorities of its own (a company proxy, a test server).
    std::string extraCaFile;
    // The whole request, answer included: a service that keeps sending a byte now and
    // then must not hold the check for hours. Downloads add time for their size at
    // downloadMinBytesPerSecond on top.
    int totalTimeoutMs = 60000;
    uint64_t downloadMinBytesPerSecond = 32 * 1024;
    // Only https is used: an update that anyone on the path can change is no update.
    // Plain http to 127.0.0.1 is accepted with this set (a local test service).
    bool allowLoopbackHttp = false;
};

// Whether url may be asked under settings (https, or http to 127.0.0.1 when allowed);
// `why` takes the reason when not.
bool AddressAllowed(std::string_view url, const HttpSettings& settings, std::string* why = nullptr);

// How a request went, beyond its body.
struct HttpOutcome {
    long status = 0;        // the HTTP status; 0 when no answer came
    bool complete = false;  // the whole answer arrived and fitted the buffer
    std::string reason;     // why not, for the debug output
};

// The defaults ResetHttpSettings restores (deployment settings, tests).
void SetHttpDefaults(const HttpSettings& defaults);
HttpSettings HttpDefaults();
void ResetHttpSettings();
// The last error: 3 empty URL, 87 bad method, else the transfer library's error code.
int HttpLastError();

// Ends every request running now as soon as possible (a window that closes does not
// wait for a slow server); they return as if the server could not be reached.
void CancelHttpRequests();

// Sends one request and reads the response body into response (at most capacity - 1
// bytes; more is not read). Returns the number of body bytes, -1 for bad arguments,
// or 0 with "NO_LINK_SERVER" at the start of response when the request could not be
// sent (no server, refused certificate, time-out before an answer). An HTTP error
// status is not a failure: its body is returned. The three request headers are
// Content-Length, Content-Type (form) and Accept; the body is sent as it is. When
// the direct attempt cannot reach the server and a proxy is configured in the
// standard proxy variables, it is tried once more through that proxy. An address
// AddressAllowed refuses is never asked. `outcome`, when given, tells the status and
// whether the answer is whole.
int HttpRequest(std::string_view method, std::string_view url, const void* body, int bodyLength,
                char* response, size_t capacity, HttpOutcome* outcome = nullptr);

}  // namespace vivori::update
