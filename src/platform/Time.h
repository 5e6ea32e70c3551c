#pragma once

#include <cstdint>

namespace vivori {

// Milliseconds of a monotonic clock, wrapping at 32 bits like GetTickCount.
uint32_t GetTickCount();
uint64_t GetTickCount64();
void Sleep(int milliseconds);

}  // namespace vivori
