#pragma once

#include <sys/types.h>

#include <array>
#include <optional>
#include <string>

#include "app/AppMessages.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/MessageTypes.h"

namespace vivori::app {

// What the main window exchanges with the audio recorder (a program of its own, which
// sends spectrum frames) and the work tool (which is sent the device list), both found
// as windows of other processes.
class AudioRecorderLink {
  public:
    // Style-message commands: the three the recorder is sent at shut-down, and the
    // level messages of the R, G and B sliders.
    static constexpr ui::WPARAM kEndCommands[] = {2, 4, 5};
    static constexpr ui::WPARAM kLevelR = 6;
    // The copy-data kinds: style levels to the recorder, the device list to the work tool.
    static constexpr ui::UINT_PTR kStyleLevels = 10;
    static constexpr ui::UINT_PTR kDeviceList = 5;
    static constexpr int kSendTimeoutMs = 1500;

    // How the recorder's window is named (the recorder program names it so too).
    static std::string RecorderClass() { return std::string(kApplicationName) + "AudioRecord"; }
    static std::string RecorderTitle() { return std::string(kApplicationName) + "AUDIORECORD"; }

    ~AudioRecorderLink() { Stop(); }

    // Looks the recorder window up now; false when none is running.
    bool Find();
    bool Known() const { return recorder_.has_value(); }
    // Copy-data 10: R, G, B (a G of 0 is the caller's to send as 1), then "2222222222".
    bool SendLevels(const std::array<int, 3>& levels);
    // The registered style message with a command or level.
    bool PostStyleMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam);
    // Looks the recorder up and sends it the three end commands.
    void SendEndCommands(ui::UINT msg);

    // Starts the recorder program when it is not running; false when it cannot start.
    // A recorder left from an earlier run is ended first, and this one starts on a
    // later Running() once that one is gone.
    bool Start(const std::string& program);
    // Ends a recorder this link started (end commands first, then a signal, then a
    // kill) without waiting for it.
    void Stop(ui::UINT msg = 0);
    // Whether the recorder this link started still runs (or is about to start); reaps
    // it when it ended.
    bool Running();
    pid_t Pid() const { return child_; }
    // How the last recorder this link started ended: its exit status, when it did.
    std::optional<int> LastExit() const { return lastExit_; }

  private:
    bool Spawn(const std::string& program);

    std::optional<ui::RemoteWindow> recorder_;
    pid_t child_ = -1;
    // A start that waits for a leftover recorder to end.
    pid_t leftover_ = -1;
    std::string pendingProgram_;
    std::optional<int> lastExit_;
};

// The work tool's copy-data: 256 values, zero-filled: 2, 3, 0, 2, the row count, then
// vendor id, product id and kind of each device page row.
std::array<int32_t, 256> WorkToolDeviceList();
// Finds the window titled "WorkTool" and sends it the list; false when none answers.
bool SendWorkToolDeviceList();

}  // namespace vivori::app
