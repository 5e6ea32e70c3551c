#include "platform/Identifier.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace vivori {

std::string FormatTimeStampIdentifier(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const long ms =
        static_cast<long>(duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  ms < 0 ? 0 : ms);
    return text;
}

std::string MakeTimeStampIdentifier(const std::function<bool(const std::string&)>& taken) {
    using namespace std::chrono;
    static std::mutex mutex;
    static time_point<system_clock, milliseconds> last{};
    std::lock_guard lock(mutex);
    auto when = time_point_cast<milliseconds>(system_clock::now());
    if (when <= last) when = last + milliseconds(1);
    std::string id = FormatTimeStampIdentifier(when);
    // Bounded: a caller whose every identifier is taken still gets an answer.
    for (int tries = 0; taken && taken(id) && tries < 100000; ++tries) {
        when += milliseconds(1);
        id = FormatTimeStampIdentifier(when);
    }
    last = when;
    return id;
}

}  // namespace vivori
