#include "platform/ExitSignals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace vivori {
namespace {

int wakeFd = -1;
std::atomic<int> received{0};

void OnSignal(int signal) {
    // Only async-signal-safe calls here: a byte through the pipe, or the hard end.
    if (received.fetch_add(1) > 0) _exit(128 + signal);
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(wakeFd, &byte, 1);
}

}  // namespace

void WatchExitSignals(std::function<void(int)> onSignal) {
    int fds[2];
    if (wakeFd >= 0 || pipe2(fds, O_CLOEXEC) != 0) return;
    wakeFd = fds[1];
    std::thread([readFd = fds[0], onSignal = std::move(onSignal)] {
        unsigned char byte = 0;
        while (true) {
            const ssize_t got = read(readFd, &byte, 1);
            if (got == 1) {
                onSignal(byte);
            } else if (got == 0 || errno != EINTR) {
                return;
            }
        }
    }).detach();
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
}

}  // namespace vivori
