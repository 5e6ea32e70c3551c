#include "platform/Process.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace vivori {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> FindProgram(std::string_view name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string_view::npos) {
        std::string path(name);
        return IsExecutableFile(path) ? std::optional(path) : std::nullopt;
    }
    const char* variable = std::getenv("PATH");
    const std::string_view folders = variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string_view::npos) end = folders.size();
        std::string path(folders.substr(start, end - start));
        if (path.empty()) path.push_back('.');  // an empty PATH entry is the current folder
        path.append("/").append(name);
        if (IsExecutableFile(path)) return path;
        start = end + 1;
    }
    return std::nullopt;
}

bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty() || !IsExecutableFile(argv[0])) return false;
    // Everything the children use is made here: after fork they only call
    // async-signal-safe functions.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // The intermediate child ends at once: the program is handed to init, which
        // reaps it, so it leaves no zombie behind and nothing here waits for it.
        setsid();
        const pid_t program = fork();
        if (program == 0) {
            execv(args[0], args.data());
            _exit(127);
        }
        _exit(program < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vivori
