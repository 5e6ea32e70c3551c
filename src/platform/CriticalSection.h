#pragma once

#include <mutex>

namespace vivori {

// A recursive lock, as a Windows critical section is: the owner may enter again.
class CriticalSection {
  public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }
    // BasicLockable, so std::lock_guard and std::scoped_lock work.
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return TryEnter(); }

  private:
    std::recursive_mutex mutex_;
};

using CriticalSectionLock = std::lock_guard<CriticalSection>;

}  // namespace vivori
