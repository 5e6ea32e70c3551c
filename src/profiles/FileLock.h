#pragma once

// An exclusive lock between processes for the read-change-write of a list file. The
// list itself is replaced by rename, so the lock lives in a file of its own beside it.

#include <filesystem>

namespace vivori::profiles {

class FileLock {
  public:
    // Waits for the lock on `lockFile`, creating it when missing. Without a lock file
    // (a read-only folder) nothing is held; nothing can be written there anyway.
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_ = -1;
};

}  // namespace vivori::profiles
