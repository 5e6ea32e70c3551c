#include "platform/Debug.h"

#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vivori {
namespace {

bool EnvEnabled() {
    const char* v = std::getenv("VIVORI_DEBUG");
    return v && std::strcmp(v, "0") != 0 && *v != '\0';
}

struct Sink {
    std::mutex mutex;
    std::vector<std::string> captured;
    std::atomic<int> captures{0};
    const bool toStderr = EnvEnabled();
};

Sink& TheSink() {
    static Sink sink;
    return sink;
}

}  // namespace

bool DebugEnabled() {
    Sink& s = TheSink();
    return s.toStderr || s.captures.load(std::memory_order_relaxed) > 0;
}

void DebugOutput(std::string_view line) {
    Sink& s = TheSink();
    if (!DebugEnabled()) return;
    std::lock_guard lock(s.mutex);
    if (s.captures.load() > 0) s.captured.emplace_back(line);
    if (s.toStderr) {
        std::string out(line);
        if (out.empty() || out.back() != '\n') out.push_back('\n');
        ssize_t n = write(STDERR_FILENO, out.data(), out.size());
        (void)n;
    }
}

void DebugPrintf(const char* format, ...) {
    if (!DebugEnabled()) return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    DebugOutput(buffer);
}

DebugCapture::DebugCapture() {
    Sink& s = TheSink();
    std::lock_guard lock(s.mutex);
    if (s.captures.fetch_add(1) == 0) s.captured.clear();
}

DebugCapture::~DebugCapture() {
    TheSink().captures.fetch_sub(1);
}

std::vector<std::string> DebugCapture::Lines() const {
    Sink& s = TheSink();
    std::lock_guard lock(s.mutex);
    return s.captured;
}

bool DebugCapture::Contains(std::string_view text) const {
    for (const auto& line : Lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void DebugCapture::Clear() {
    Sink& s = TheSink();
    std::lock_guard lock(s.mutex);
    s.captured.clear();
}

}  // namespace vivori
