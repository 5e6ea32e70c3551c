#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace vivori {

// A time-stamp identifier "%d_%02d_%02d_%02d_%02d_%02d_%03d" from local time. Two
// made in the same millisecond, or one that `taken` reports in use, move on by a
// millisecond, so identifiers never collide.
std::string MakeTimeStampIdentifier(const std::function<bool(const std::string&)>& taken = {});
std::string FormatTimeStampIdentifier(std::chrono::system_clock::time_point when);

}  // namespace vivori
