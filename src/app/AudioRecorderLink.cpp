#include "app/AudioRecorderLink.h"

#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "app/AppMessages.h"
#include "devices/DevicePageTables.h"
#include "platform/ChildProcess.h"
#include "platform/Debug.h"
#include "ui/ipc/IpcFrame.h"
#include "ui/message/RuntimeDirectory.h"

namespace vivori::app {
namespace {

constexpr size_t kStyleLevelBytes = 40;
// After the end commands the recorder has this long to end by itself, then as long
// again after SIGTERM before it is killed. Nobody waits for it meanwhile.
constexpr int kEndWaitMs = 1000;
constexpr const char* kPidFileName = "vivori-audio-recorder.pid";
constexpr const char* kProgramName = "vivori-audio-recorder";

std::optional<std::string> PidFile() {
    const auto folder = ui::UserRuntimeDirectory();
    if (!folder) return std::nullopt;
    return *folder + "/" + kPidFileName;
}

std::optional<pid_t> ReadPidFile() {
    const auto path = PidFile();
    if (!path) return std::nullopt;
    std::ifstream file(*path);
    long pid = 0;
    if (!(file >> pid) || pid <= 1) return std::nullopt;
    return pid_t(pid);
}

void WritePidFile(pid_t pid) {
    const auto path = PidFile();
    if (!path) return;
    const std::string temporary = *path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << pid << "\n";
        if (!file) return;
    }
    std::rename(temporary.c_str(), path->c_str());
}

void RemovePidFile(pid_t pid) {
    const auto path = PidFile();
    if (path && ReadPidFile() == pid) ::unlink(path->c_str());
}

std::vector<uint8_t> Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    return {p, p + size};
}

}  // namespace

bool AudioRecorderLink::Find() {
    recorder_ = ui::FindRemoteWindow(RecorderClass(), RecorderTitle(), kSendTimeoutMs);
    return recorder_.has_value();
}

bool AudioRecorderLink::SendLevels(const std::array<int, 3>& levels) {
    if (!recorder_) return false;
    std::array<int32_t, kStyleLevelBytes / sizeof(int32_t)> payload{};
    for (size_t i = 0; i < levels.size(); ++i) payload[i] = levels[i];
    const bool sent = ui::SendCopyData(*recorder_, kStyleLevels,
                                       Bytes(payload.data(), kStyleLevelBytes), kSendTimeoutMs);
    DebugOutput("2222222222");
    return sent;
}

bool AudioRecorderLink::PostStyleMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam) {
    if (!recorder_ || msg == 0) return false;
    ui::IpcWriter payload;
    payload.Put(std::uint32_t(msg)).Put(std::uint64_t(wParam)).Put(std::int64_t(lParam));
    return ui::Exchange(recorder_->endpoint, ui::EncodeFrame(ui::IpcKind::Post, payload.Data()),
                        false, kSendTimeoutMs)
        .has_value();
}

void AudioRecorderLink::SendEndCommands(ui::UINT msg) {
    if (!Find()) return;
    for (ui::WPARAM command : kEndCommands) PostStyleMessage(msg, command, 0);
}

bool AudioRecorderLink::Start(const std::string& program) {
    if (Running()) return true;
    lastExit_.reset();
    // One left from an earlier run (a crash) would also send frames: it ends first, and
    // the new one starts on a later check, once it is gone.
    if (const auto old = ReadPidFile(); old && EndLeftover(*old, kProgramName, kEndWaitMs)) {
        DebugPrintf("audio recorder %d left from an earlier run: ended", int(*old));
        leftover_ = *old;
        pendingProgram_ = program;
        return true;
    }
    return Spawn(program);
}

bool AudioRecorderLink::Spawn(const std::string& program) {
    std::string error;
    const auto pid = StartChild({program}, &error);
    if (!pid) {
        DebugPrintf("audio recorder %s not started: %s", program.c_str(), error.c_str());
        lastExit_ = 127;
        return false;
    }
    child_ = *pid;
    WritePidFile(child_);
    return true;
}

bool AudioRecorderLink::Running() {
    if (!pendingProgram_.empty()) {
        if (leftover_ > 0 && ProcessAlive(leftover_)) return true;
        leftover_ = -1;
        const std::string program = std::move(pendingProgram_);
        pendingProgram_.clear();
        return Spawn(program);
    }
    if (child_ <= 0) return false;
    int code = 0;
    if (ChildRunning(child_, &code)) return true;
    lastExit_ = code;
    RemovePidFile(child_);
    child_ = -1;
    recorder_.reset();
    return false;
}

void AudioRecorderLink::Stop(ui::UINT msg) {
    pendingProgram_.clear();
    if (!Running()) return;
    if (msg != 0) SendEndCommands(msg);
    // The reaper gives it time to end, then signals; this thread goes on at once.
    EndChild(child_, kEndWaitMs, kEndWaitMs);
    RemovePidFile(child_);
    lastExit_ = 128 + SIGTERM;
    child_ = -1;
    recorder_.reset();
}

std::array<int32_t, 256> WorkToolDeviceList() {
    std::array<int32_t, 256> values{};
    values[0] = 2, values[1] = 3, values[2] = 0, values[3] = 2;
    const auto rows = devices::DevicePages();
    values[4] = int32_t(rows.size());
    size_t at = 5;
    for (const auto& row : rows) {
        if (at + 3 > values.size()) break;
        values[at++] = row.vid;
        values[at++] = row.pid;
        values[at++] = row.kind;
    }
    return values;
}

bool SendWorkToolDeviceList() {
    const auto tool = ui::FindRemoteWindow("", "WorkTool", AudioRecorderLink::kSendTimeoutMs);
    if (!tool) return false;
    const auto values = WorkToolDeviceList();
    return ui::SendCopyData(*tool, AudioRecorderLink::kDeviceList,
                            Bytes(values.data(), sizeof(values)),
                            AudioRecorderLink::kSendTimeoutMs);
}

}  // namespace vivori::app
