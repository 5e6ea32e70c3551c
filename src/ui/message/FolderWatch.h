#pragma once

#include <filesystem>
#include <functional>
#include <memory>

namespace vivori::ui {

// Tells the creating thread, through its message loop, when files in watched folders
// are added, removed, renamed or written (inotify on Linux). A burst of changes, such
// as a file written to a temporary name and renamed, is told once per folder, `settleMs`
// after its first change.
class FolderWatch {
  public:
    using Changed = std::function<void(const std::filesystem::path& folder)>;
    explicit FolderWatch(Changed changed, int settleMs = 50);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches an existing folder (again, when it was removed and made anew); false when
    // it cannot be watched.
    bool Watch(const std::filesystem::path& folder);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vivori::ui
