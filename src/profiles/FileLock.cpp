#include "profiles/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace vivori::profiles {

FileLock::FileLock(const std::filesystem::path& lockFile) {
    fd_ = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

FileLock::~FileLock() {
    // Closing the descriptor drops the lock.
    if (fd_ >= 0) close(fd_);
}

}  // namespace vivori::profiles
