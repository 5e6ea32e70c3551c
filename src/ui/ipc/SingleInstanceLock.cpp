#include "ui/ipc/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "ui/ipc/IpcPeers.h"
#include "ui/message/Messages.h"
#include "ui/message/RuntimeDirectory.h"

namespace vivori::ui {
namespace {

// A file name for any name: its safe characters plus a hash of the whole, so names
// that differ only in other characters do not share a lock.
std::string LockFileName(std::string_view name) {
    std::uint64_t hash = 1469598103934665603ull;
    std::string safe;
    for (char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (safe.size() < 64) safe += plain ? c : '_';
    }
    char suffix[24];
    std::snprintf(suffix, sizeof(suffix), "-%016llx.lock", static_cast<unsigned long long>(hash));
    return "vivori-instance-" + safe + suffix;
}

}  // namespace

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(std::string_view name) {
    if (fd_ >= 0) return Result::Acquired;
    auto folder = UserRuntimeDirectory();
    if (!folder) return Result::Failed;
    std::string path = *folder + "/" + LockFileName(name);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Result::AlreadyRunning : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void SingleInstanceLock::Release() {
    if (fd_ < 0) return;
    // The file stays: removing it could let a third process lock a new file while a
    // second still holds the old one.
    close(fd_);
    fd_ = -1;
}

bool WakeRunningInstance(std::string_view name) {
    UINT msg = RegisterWindowMessage(name);
    return msg != 0 && BroadcastToPeers(msg, 0, 1) > 0;
}

}  // namespace vivori::ui
