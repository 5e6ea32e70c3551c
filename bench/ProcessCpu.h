#pragma once

#include <ctime>

// CPU seconds of the whole process: the host's cost, whichever thread did the work.
inline double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}
