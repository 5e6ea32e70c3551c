// What the benchmarks that watch the application as a process read from /proc: its
// CPU time and how often its threads woke up.
#pragma once

#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace vivori::bench {

// The application the benchmarks run: VIVORI_BENCH_PROGRAM names another build of it
// (to measure a baseline), otherwise the one beside the benchmark.
inline std::string ProgramUnderTest() {
    if (const char* other = std::getenv("VIVORI_BENCH_PROGRAM")) return other;
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vivori-trivex")
        .string();
}

// Runtime, data and configuration folders of its own under a new temporary folder, so
// no copy the user runs is woken instead and the settings start fresh; empty when no
// folder could be made.
inline std::string UsePrivateFolders() {
    char folder[] = "/tmp/vivori-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return {};
    setenv("XDG_RUNTIME_DIR", folder, 1);
    setenv("XDG_DATA_HOME", (std::string(folder) + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (std::string(folder) + "/config").c_str(), 1);
    return folder;
}

// User plus system CPU seconds of a process; negative when it is gone.
inline double CpuSecondsOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command name, which may hold spaces: utime and stime are
    // the 12th and 13th of them.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 13 && fields >> field; ++i)
        if (i >= 12) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Context switches (voluntary and not) of each thread of a process, by thread id:
// every time a thread woke up and ran, or was put aside.
inline std::map<pid_t, long long> SwitchesOf(pid_t pid) {
    std::map<pid_t, long long> switches;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr) return switches;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream status(tasks + "/" + entry->d_name + "/status");
        std::string line;
        long long count = 0;
        while (std::getline(status, line))
            if (line.find("ctxt_switches:") != std::string::npos)
                count += std::stoll(line.substr(line.find(':') + 1));
        switches[pid_t(std::stol(entry->d_name))] = count;
    }
    closedir(folder);
    return switches;
}

// The wake-ups between two readings; a thread that started in between counts from 0.
inline long long WakeupsBetween(const std::map<pid_t, long long>& before,
                                const std::map<pid_t, long long>& after) {
    long long total = 0;
    for (const auto& [thread, count] : after) {
        const auto earlier = before.find(thread);
        total += count - (earlier != before.end() ? earlier->second : 0);
    }
    return total;
}

}  // namespace vivori::bench
