#include "platform/PrivateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vivori {
namespace {

bool Private(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

}  // namespace

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && Private(info);
}

std::optional<std::string> PrivateFolder(const std::string& path) {
    mkdir(path.c_str(), 0700);
    if (IsPrivateFolder(path)) return path;
    return std::nullopt;
}

int OpenPrivateFolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !Private(info)) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace vivori
