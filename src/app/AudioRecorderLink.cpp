#include "app/AudioRecorderLink.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <vector>

#include "app/AppMessages.h"
#include "devices/DevicePageTables.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "ui/ipc/IpcFrame.h"

extern char** environ;

namespace vivori::app {
namespace {

constexpr size_t kStyleLevelBytes = 40;
constexpr int kEndWaitMs = 1000;

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
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        DebugPrintf("audio recorder %s not started: %s", program.c_str(), std::strerror(errno));
        return false;
    }
    child_ = pid;
    lastExit_.reset();
    return true;
}

bool AudioRecorderLink::Running() {
    if (child_ <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(child_, &status, WNOHANG);
    if (done == 0) return true;
    lastExit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    child_ = -1;
    recorder_.reset();
    return false;
}

void AudioRecorderLink::Stop(ui::UINT msg) {
    if (!Running()) return;
    if (msg != 0) SendEndCommands(msg);
    const uint32_t start = GetTickCount();
    while (Running() && GetTickCount() - start < uint32_t(kEndWaitMs)) Sleep(10);
    if (!Running()) return;
    kill(child_, SIGTERM);
    int status = 0;
    waitpid(child_, &status, 0);
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
