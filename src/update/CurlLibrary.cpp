#include "update/CurlLibrary.h"

#include <dlfcn.h>

#include "platform/Debug.h"

namespace vivori::update {
namespace {

template <typename Function>
bool Resolve(void* handle, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

const CurlLibrary* Load() {
    void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        DebugPrintf("libcurl not loaded: %s", dlerror());
        return nullptr;
    }
    static CurlLibrary library;
    CURLcode (*globalInit)(long) = nullptr;
    const bool resolved = Resolve(handle, "curl_global_init", globalInit) &&
                          Resolve(handle, "curl_easy_init", library.easy_init) &&
                          Resolve(handle, "curl_easy_setopt", library.easy_setopt) &&
                          Resolve(handle, "curl_easy_perform", library.easy_perform) &&
                          Resolve(handle, "curl_easy_getinfo", library.easy_getinfo) &&
                          Resolve(handle, "curl_easy_cleanup", library.easy_cleanup) &&
                          Resolve(handle, "curl_easy_strerror", library.easy_strerror) &&
                          Resolve(handle, "curl_slist_append", library.slist_append) &&
                          Resolve(handle, "curl_slist_free_all", library.slist_free_all);
    // Kept loaded for the rest of the run: handles and global state live in it.
    if (!resolved || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    return &library;
}

}  // namespace

const CurlLibrary* LoadCurl() {
    static const CurlLibrary* const library = Load();
    return library;
}

}  // namespace vivori::update
