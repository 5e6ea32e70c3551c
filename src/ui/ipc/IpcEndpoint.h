#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "ui/ipc/IpcFrame.h"
#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// This process's listening socket for the messages of the user's other processes,
// served on the message loop of the thread that starts it: broadcast posts reach
// every window here, FindWindow queries are answered, and copy-data goes to the named
// window within the size limit that window set. Only processes of the same user may
// connect; anything malformed or too large is dropped and logged. Only the posted
// messages the process allows cross over: a message whose wParam or lParam is a
// pointer within its own process must never be taken from another.
class IpcEndpoint {
  public:
    // What a window takes when it set no limit.
    static constexpr std::size_t kDefaultCopyDataLimit = 64 * 1024;
    // Connections waiting for their request; the oldest is dropped beyond this.
    static constexpr std::size_t kMaxConnections = 32;

    IpcEndpoint();
    ~IpcEndpoint();
    IpcEndpoint(const IpcEndpoint&) = delete;
    IpcEndpoint& operator=(const IpcEndpoint&) = delete;

    bool Start();
    void Stop();
    const std::string& Path() const { return path_; }

    // The largest copy-data a window accepts for this dwData (or for any dwData the
    // window gave no limit of its own).
    void SetCopyDataLimit(HWND window, UINT_PTR dwData, std::size_t maxBytes);
    void SetCopyDataLimit(HWND window, std::size_t maxBytes);
    std::size_t CopyDataLimit(HWND window, UINT_PTR dwData) const;

    // Lets other processes post msg here (a registered message that carries values
    // only). Posts of anything not allowed are dropped with a debug line.
    void AllowRemotePost(UINT msg);
    bool RemotePostAllowed(UINT msg) const;

    // Takes one decoded request as if it had come over a connection; the reply it
    // would send back, if any. For the endpoint's own use and for exercising it.
    std::optional<std::vector<std::uint8_t>> Handle(const IpcFrame& frame);

    // Makes broadcast posts of this process reach the other processes too.
    static void InstallBroadcastForwarder();

  private:
    struct Connection {
        IpcFrameReader reader;
    };

    void Accept();
    void Read(int fd);
    // Stops serving the connection; Drop also closes it.
    void Forget(int fd);
    void Drop(int fd);
    std::optional<std::vector<std::uint8_t>> HandleCopyData(const IpcFrame& frame);

    int listenFd_ = -1;
    std::string path_;
    std::map<int, std::unique_ptr<Connection>> connections_;
    std::deque<int> order_;
    std::map<std::pair<HWND, UINT_PTR>, std::size_t> limits_;
    std::map<HWND, std::size_t> windowLimits_;
    std::set<UINT> remotePosts_;
};

}  // namespace vivori::ui
