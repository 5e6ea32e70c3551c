// libcurl, loaded the first time a transfer needs it. The application runs for hours
// without one, and the library with its TLS, Kerberos and LDAP dependencies would
// otherwise be several megabytes of its resident memory from the start.
#pragma once

#include <curl/curl.h>

namespace vivori::update {

struct CurlLibrary {
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    void (*easy_cleanup)(CURL*);
    const char* (*easy_strerror)(CURLcode);
    curl_slist* (*slist_append)(curl_slist*, const char*);
    void (*slist_free_all)(curl_slist*);
};

// The library loaded and started (curl_global_init) once; null when it is missing or
// would not start. Any thread.
const CurlLibrary* LoadCurl();
// The library a successful LoadCurl gave.
inline const CurlLibrary& Curl() {
    return *LoadCurl();
}

}  // namespace vivori::update
