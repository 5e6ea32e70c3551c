#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vivori {

// The environment variable that tells a child the process id of the parent that
// started it: a child that asks for a parent-death signal checks it to see whether
// its parent was already gone before the request took effect.
inline constexpr const char* kParentPidVariable = "VIVORI_PARENT_PID";

// Starts argv[0] (a full path) with the rest as its arguments, as a child of this
// process: default signal handling and an empty signal mask, and kParentPidVariable
// set. The child is owned by this process until EndChild hands it to the reaper.
// nullopt, with the reason in `error`, when it could not be started.
std::optional<pid_t> StartChild(const std::vector<std::string>& argv, std::string* error = nullptr);

// Whether a child started by StartChild still runs; when it ended, it is reaped here
// and `exitCode` takes its exit status (128 + the signal when a signal ended it).
bool ChildRunning(pid_t child, int* exitCode = nullptr);

// Ends a child without waiting for it: a reaper thread gives it `graceMs` to end on its
// own (the caller has asked it to), then sends SIGTERM, waits `termMs` more, and sends
// SIGKILL. The caller's thread returns at once.
void EndChild(pid_t child, int graceMs, int termMs);

// Reaps a child when it ends, without ending it; EndAllChildren ends it with the rest.
// onExit, when given, is called on the reaper's thread with the exit status (128 + the
// signal when a signal ended it; -1 when it was reaped elsewhere), so that whoever
// waits for the child's reports learns that no more will come.
void ReapChild(pid_t child, std::function<void(int exitCode)> onExit = nullptr);

// Ends a process that is not our child (one left from an earlier run): SIGTERM, up to
// `termMs` for it to go, then SIGKILL. Only a process of this user whose program name
// is `programName` is touched. Runs on the reaper too; false when there was no such
// process.
bool EndLeftover(pid_t pid, const std::string& programName, int termMs);

// Whether a process runs (one that ended but is not yet reaped does not).
bool ProcessAlive(pid_t pid);

// Waits, at most `timeoutMs`, until the reaper has ended every child handed to it,
// and kills what is left: for the end of the program.
void EndAllChildren(int timeoutMs);

// For a child: asks for SIGTERM when the parent ends, and ends at once when the parent
// that started it (kParentPidVariable) is gone already. Without the variable it does
// nothing, so the program also runs on its own.
void EndWithParent();

}  // namespace vivori
