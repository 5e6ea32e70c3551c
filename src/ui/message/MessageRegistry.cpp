#include "ui/message/MessageRegistry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CaseFold.h"

namespace vivori::ui {
namespace {

// Closes the descriptor, which also drops the flock.
class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool ReadAll(int fd, std::string* text, long size) {
    text->resize(static_cast<std::size_t>(size));
    long done = 0;
    while (done < size) {
        ssize_t n = pread(fd, text->data() + done, static_cast<std::size_t>(size - done), done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

bool WriteAll(int fd, const std::string& text, off_t at) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = pwrite(fd, text.data() + done, text.size() - done, at + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Index of the line equal to `name`, or the number of lines when there is none. A last
// line without its line break still counts, so every process reads the same indices.
std::size_t FindLine(std::string_view text, std::string_view name, std::size_t* lines) {
    std::size_t index = 0;
    std::size_t found = std::string_view::npos;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (found == std::string_view::npos && line == name) found = index;
        ++index;
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    *lines = index;
    return found;
}

}  // namespace

UINT MessageRegistry::Register(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameBytes ||
        name.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos)
        return 0;
    std::string folded = FoldCase(name);
    std::lock_guard lock(mutex_);
    if (auto it = known_.find(folded); it != known_.end()) return it->second;
    UINT id = RegisterInFile(folded);
    if (id != 0) known_.emplace(std::move(folded), id);
    return id;
}

UINT MessageRegistry::RegisterInFile(const std::string& folded) {
    FileHandle file(open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0) return 0;
    while (flock(file.get(), LOCK_EX) != 0)
        if (errno != EINTR) return 0;
    struct stat info {};
    if (fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != getuid() ||
        info.st_size > kMaxFileBytes)
        return 0;

    std::string text;
    if (!ReadAll(file.get(), &text, static_cast<long>(info.st_size))) return 0;
    std::size_t lines = 0;
    std::size_t index = FindLine(text, folded, &lines);
    if (index == std::string_view::npos) {
        if (lines >= kCapacity) return 0;
        // Close a torn last line first, so it keeps its own index.
        std::string entry = (text.empty() || text.back() == '\n' ? "" : "\n") + folded + "\n";
        if (!WriteAll(file.get(), entry, info.st_size)) {
            // Take back a partial entry, so the next one gets the index it reads.
            int undone = ftruncate(file.get(), info.st_size);
            (void)undone;
            return 0;
        }
        index = lines;
    }
    return kFirstRegisteredMessage + static_cast<UINT>(index);
}

}  // namespace vivori::ui
