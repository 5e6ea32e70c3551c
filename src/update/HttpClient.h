#pragma once

#include <cstddef>
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
// standard proxy variables, it is tried once more through that proxy.
int HttpRequest(std::string_view method, std::string_view url, const void* body, int bodyLength,
                char* response, size_t capacity);

}  // namespace vivori::update
