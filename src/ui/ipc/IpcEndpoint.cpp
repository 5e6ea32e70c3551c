#include "ui/ipc/IpcEndpoint.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/Debug.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/Messages.h"

namespace vivori::ui {
namespace {

// Set while a post from another process is handed to this process's windows, so the
// forwarder does not send it back out.
thread_local bool deliveringRemotePost = false;

std::vector<std::uint8_t> Reply(std::optional<std::int64_t> value) {
    IpcWriter payload;
    if (value) payload.Put(*value);
    return EncodeFrame(IpcKind::Reply, payload.Data());
}

bool SameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == getuid();
}

}  // namespace

IpcEndpoint::IpcEndpoint() = default;
IpcEndpoint::~IpcEndpoint() {
    Stop();
}

bool IpcEndpoint::Start() {
    if (listenFd_ >= 0) return true;
    auto folder = IpcFolder();
    if (!folder) return false;
    static std::atomic<int> sequence{0};
    path_ = *folder + "/" + std::to_string(getpid()) + "-" + std::to_string(++sequence) + ".sock";
    sockaddr_un address{};
    if (path_.size() >= sizeof(address.sun_path)) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    unlink(path_.c_str());
    listenFd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) return false;
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listenFd_, 16) != 0 || !WatchReadable(listenFd_, [this] { Accept(); })) {
        DebugPrintf("ipc: cannot listen on %s: %s", path_.c_str(), std::strerror(errno));
        close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    return true;
}

void IpcEndpoint::Stop() {
    while (!connections_.empty()) Drop(connections_.begin()->first);
    if (listenFd_ < 0) return;
    Unwatch(listenFd_);
    close(listenFd_);
    listenFd_ = -1;
    unlink(path_.c_str());
}

void IpcEndpoint::Accept() {
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (!SameUser(fd)) {
            DebugOutput("ipc: connection of another user dropped");
            close(fd);
            continue;
        }
        if (connections_.size() >= kMaxConnections) {
            DebugOutput("ipc: too many connections; the oldest is dropped");
            Drop(order_.front());
        }
        connections_[fd] = std::make_unique<Connection>();
        order_.push_back(fd);
        WatchReadable(fd, [this, fd] { Read(fd); });
    }
}

void IpcEndpoint::Forget(int fd) {
    Unwatch(fd);
    connections_.erase(fd);
    std::erase(order_, fd);
}

void IpcEndpoint::Drop(int fd) {
    Forget(fd);
    close(fd);
}

void IpcEndpoint::Read(int fd) {
    auto found = connections_.find(fd);
    if (found == connections_.end()) return;
    std::uint8_t buffer[16384];
    ssize_t got = recv(fd, buffer, sizeof(buffer), 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got <= 0) {
        Drop(fd);
        return;
    }
    IpcFrameReader& reader = found->second->reader;
    switch (reader.Add(buffer, static_cast<std::size_t>(got))) {
        case IpcFrameReader::State::NeedMore:
            return;
        case IpcFrameReader::State::Bad:
            DebugPrintf("ipc: message dropped: %s", reader.Error().c_str());
            Drop(fd);
            return;
        case IpcFrameReader::State::Complete:
            break;
    }
    // Handled after the connection is forgotten: a handler may run a nested loop.
    IpcFrame frame = reader.Frame();
    Forget(fd);
    if (auto reply = Handle(frame)) {
        // Small; the peer is waiting for it.
        send(fd, reply->data(), reply->size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    close(fd);
}

std::optional<std::vector<std::uint8_t>> IpcEndpoint::Handle(const IpcFrame& frame) {
    IpcReader reader(frame.payload);
    switch (frame.kind) {
        case IpcKind::Post: {
            auto msg = reader.Get<std::uint32_t>();
            auto w = reader.Get<std::uint64_t>();
            auto l = reader.Get<std::int64_t>();
            if (!msg || !w || !l || reader.Remaining() != 0) {
                DebugOutput("ipc: malformed post dropped");
                return std::nullopt;
            }
            if (*msg < kFirstRegisteredMessage || *msg > kLastRegisteredMessage) {
                DebugPrintf("ipc: post of unregistered message %u dropped", *msg);
                return std::nullopt;
            }
            if (!RemotePostAllowed(*msg)) {
                DebugPrintf("ipc: post of message %u, which other processes may not send, "
                            "dropped",
                            *msg);
                return std::nullopt;
            }
            deliveringRemotePost = true;
            PostMessage(HWND_BROADCAST, *msg, static_cast<WPARAM>(*w), static_cast<LPARAM>(*l));
            deliveringRemotePost = false;
            return std::nullopt;
        }
        case IpcKind::Find: {
            auto classSize = reader.Get<std::uint32_t>();
            auto titleSize = reader.Get<std::uint32_t>();
            std::optional<std::string> className, title;
            if (classSize && titleSize) className = reader.GetString(*classSize);
            if (className) title = reader.GetString(*titleSize);
            if (!title || reader.Remaining() != 0) {
                DebugOutput("ipc: malformed window query dropped");
                return Reply(std::nullopt);
            }
            return Reply(static_cast<std::int64_t>(FindWindow(*className, *title)));
        }
        case IpcKind::CopyData:
            return HandleCopyData(frame);
        case IpcKind::Reply:
            break;
    }
    DebugOutput("ipc: unexpected reply dropped");
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> IpcEndpoint::HandleCopyData(const IpcFrame& frame) {
    IpcReader reader(frame.payload);
    auto hwnd = reader.Get<std::uint32_t>();
    auto dwData = reader.Get<std::uint64_t>();
    if (!hwnd || !dwData) {
        DebugOutput("ipc: malformed copy-data dropped");
        return Reply(std::nullopt);
    }
    if (!IsWindow(*hwnd)) {
        DebugPrintf("ipc: copy-data for window %u, which does not exist, dropped", *hwnd);
        return Reply(std::nullopt);
    }
    std::size_t limit = CopyDataLimit(*hwnd, *dwData);
    if (reader.Remaining() > limit) {
        DebugPrintf("ipc: copy-data %llu of %zu bytes for window %u dropped (limit %zu)",
                    static_cast<unsigned long long>(*dwData), reader.Remaining(), *hwnd, limit);
        return Reply(std::nullopt);
    }
    COPYDATASTRUCT data;
    data.dwData = static_cast<UINT_PTR>(*dwData);
    data.data.assign(reader.Current(), reader.Current() + reader.Remaining());
    LRESULT result = SendMessage(*hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    return Reply(static_cast<std::int64_t>(result));
}

void IpcEndpoint::AllowRemotePost(UINT msg) {
    if (msg >= kFirstRegisteredMessage && msg <= kLastRegisteredMessage) remotePosts_.insert(msg);
}

bool IpcEndpoint::RemotePostAllowed(UINT msg) const {
    return remotePosts_.count(msg) != 0;
}

void IpcEndpoint::SetCopyDataLimit(HWND window, UINT_PTR dwData, std::size_t maxBytes) {
    limits_[{window, dwData}] = maxBytes;
}

void IpcEndpoint::SetCopyDataLimit(HWND window, std::size_t maxBytes) {
    windowLimits_[window] = maxBytes;
}

std::size_t IpcEndpoint::CopyDataLimit(HWND window, UINT_PTR dwData) const {
    if (auto found = limits_.find({window, dwData}); found != limits_.end()) return found->second;
    if (auto found = windowLimits_.find(window); found != windowLimits_.end()) return found->second;
    return kDefaultCopyDataLimit;
}

void IpcEndpoint::InstallBroadcastForwarder() {
    SetBroadcastForwarder([](UINT msg, WPARAM w, LPARAM l) {
        if (!deliveringRemotePost) BroadcastToPeers(msg, w, l);
    });
}

}  // namespace vivori::ui
