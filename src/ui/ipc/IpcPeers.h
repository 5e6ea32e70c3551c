#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ipc/IpcFrame.h"
#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// The sending side of the messages between the user's processes. Every cooperating
// process listens on a socket in one folder of the user's runtime folder; these calls
// reach them without needing a message loop, so command-line tools can use them.

// A window of another process, as FindRemoteWindow found it.
struct RemoteWindow {
    std::string endpoint;  // the socket of its process
    HWND hwnd = 0;
};

// The folder of the listening sockets (created 0700), or nullopt without a runtime
// folder.
std::optional<std::string> IpcFolder();
// The sockets of every other process listening now; sockets left by processes that
// have ended are removed.
std::vector<std::string> PeerEndpoints();

// Posts a registered message (0xC000-0xFFFF) to every window of every other process.
// Returns how many processes took it.
int BroadcastToPeers(UINT msg, WPARAM w, LPARAM l);
// The first window of another process whose class and title match (without case;
// empty matches any).
std::optional<RemoteWindow> FindRemoteWindow(std::string_view className, std::string_view title,
                                             int timeoutMs = 1500);
// WM_COPYDATA to a window of another process: false when it could not be delivered
// in time or the receiver refused it (too large for it, or the window is gone).
bool SendCopyData(const RemoteWindow& window, UINT_PTR dwData,
                  const std::vector<std::uint8_t>& data, int timeoutMs = 1500,
                  LRESULT* result = nullptr);

// One request on a fresh connection; the reply when one is awaited. Used by the calls
// above and by tests that speak the protocol directly.
std::optional<IpcFrame> Exchange(const std::string& endpoint,
                                 const std::vector<std::uint8_t>& frame, bool awaitReply,
                                 int timeoutMs);

}  // namespace vivori::ui
