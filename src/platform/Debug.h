#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vivori {

// The one sink for diagnostics: silent by default, stderr when VIVORI_DEBUG=1, and
// captured by DebugCapture in tests. Callers check DebugEnabled() before formatting
// so a silent sink costs nothing on hot paths.
bool DebugEnabled();
void DebugOutput(std::string_view line);
// printf-style convenience; formats only when enabled.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Collects every debug line written while it lives (any thread).
class DebugCapture {
  public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view text) const;
    void Clear();
};

}  // namespace vivori
