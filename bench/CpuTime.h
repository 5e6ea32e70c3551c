#pragma once

#include <ctime>

// CPU seconds used by the whole process so far, for per-operation CPU figures.
inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
