#pragma once

#include <string>
#include <string_view>

namespace vivori::ui {

// One running copy per user and name: a lock file in the user's runtime folder, held
// for the life of this object (the system releases it when the process ends, however
// it ends).
class SingleInstanceLock {
  public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    enum class Result { Acquired, AlreadyRunning, Failed };
    Result Acquire(std::string_view name);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Wakes the copy that holds the lock: the registered message of this name, wParam 0
// and lParam 1, to every window of the other processes. False when none took it.
bool WakeRunningInstance(std::string_view name);

}  // namespace vivori::ui
