#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

namespace vivori::testing {

// A private X server (Xvfb) on a free display, for running the real window where its
// pixels reach a screen. Not running, with the reason, when Xvfb is missing or fails.
class XvfbServer {
  public:
    explicit XvfbServer(const char* screen = "1280x800x24") {
        const std::string program = FindProgram("Xvfb");
        if (program.empty()) {
            reason_ = "Xvfb is not installed (Debian package xvfb)";
            return;
        }
        int ready[2];
        if (pipe(ready) != 0) {
            reason_ = "no pipe";
            return;
        }
        // The server writes the display number it took to descriptor 3.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ready[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {program.c_str(), "-displayfd", "3",   "-screen", "0",
                              screen,          "-nolisten",  "tcp", "-nolock", nullptr};
        const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr,
                                        const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ready[1]);
        if (spawned != 0) {
            pid_ = 0;
            reason_ = "Xvfb did not start";
            close(ready[0]);
            return;
        }
        std::string number;
        pollfd waitFor{ready[0], POLLIN, 0};
        char c = 0;
        while (poll(&waitFor, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
        close(ready[0]);
        if (number.empty()) {
            reason_ = "Xvfb did not report a display";
            return;
        }
        display_ = ":" + number;
    }
    ~XvfbServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Running() const { return !display_.empty(); }
    const std::string& Display() const { return display_; }
    const std::string& Reason() const { return reason_; }

    // The program's full path from PATH; empty when it is not there.
    static std::string FindProgram(const std::string& name) {
        const char* path = std::getenv("PATH");
        std::string folders = path != nullptr ? path : "/usr/bin:/bin";
        size_t start = 0;
        while (start <= folders.size()) {
            size_t end = folders.find(':', start);
            if (end == std::string::npos) end = folders.size();
            const std::string candidate = folders.substr(start, end - start) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
        return {};
    }

  private:
    pid_t pid_ = 0;
    std::string display_;
    std::string reason_;
};

}  // namespace vivori::testing
