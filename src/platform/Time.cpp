#include "platform/Time.h"

#include <chrono>
#include <thread>

namespace vivori {

uint64_t GetTickCount64() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t GetTickCount() {
    return static_cast<uint32_t>(GetTickCount64());
}

void Sleep(int milliseconds) {
    if (milliseconds <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace vivori
