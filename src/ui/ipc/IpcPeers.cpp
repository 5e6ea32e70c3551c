#include "ui/ipc/IpcPeers.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Debug.h"
#include "platform/Time.h"
#include "ui/message/RuntimeDirectory.h"

namespace vivori::ui {
namespace {

constexpr const char* kFolderName = "vivori-ipc";

// The process id a socket name starts with ("1234-1.sock"), or 0.
pid_t OwnerOf(const std::string& name) {
    pid_t pid = 0;
    for (char c : name) {
        if (c < '0' || c > '9') break;
        pid = pid * 10 + (c - '0');
        if (pid > 0x3FFFFFFF) return 0;
    }
    return pid;
}

int Connect(const std::string& endpoint) {
    sockaddr_un address{};
    if (endpoint.size() >= sizeof(address.sun_path)) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Waits until fd is ready for events or the deadline passes.
bool WaitFor(int fd, short events, std::uint64_t deadline) {
    for (;;) {
        std::uint64_t now = GetTickCount64();
        if (now >= deadline) return false;
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, static_cast<int>(deadline - now));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, std::uint64_t deadline) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written =
            send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
        } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<IpcFrame> ReadReply(int fd, std::uint64_t deadline) {
    IpcFrameReader reader;
    std::uint8_t buffer[4096];
    for (;;) {
        if (!WaitFor(fd, POLLIN, deadline)) return std::nullopt;
        ssize_t got = recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (got <= 0) return std::nullopt;
        switch (reader.Add(buffer, static_cast<std::size_t>(got))) {
            case IpcFrameReader::State::Complete:
                return reader.Frame();
            case IpcFrameReader::State::Bad:
                DebugPrintf("ipc: reply refused: %s", reader.Error().c_str());
                return std::nullopt;
            case IpcFrameReader::State::NeedMore:
                break;
        }
    }
}

std::optional<LRESULT> ReplyValue(const std::optional<IpcFrame>& reply) {
    if (!reply || reply->kind != IpcKind::Reply) return std::nullopt;
    IpcReader reader(reply->payload);
    auto value = reader.Get<std::int64_t>();
    if (!value || reader.Remaining() != 0) return std::nullopt;
    return static_cast<LRESULT>(*value);
}

}  // namespace

std::optional<std::string> IpcFolder() {
    return UserRuntimeSubdirectory(kFolderName);
}

std::vector<std::string> PeerEndpoints() {
    std::vector<std::string> endpoints;
    auto folder = IpcFolder();
    if (!folder) return endpoints;
    DIR* dir = opendir(folder->c_str());
    if (dir == nullptr) return endpoints;
    const pid_t self = getpid();
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() < 6 || name.compare(name.size() - 5, 5, ".sock") != 0) continue;
        pid_t owner = OwnerOf(name);
        if (owner == 0 || owner == self) continue;
        std::string path = *folder + "/" + name;
        if (kill(owner, 0) != 0 && errno == ESRCH) {
            // Its process has ended without removing it.
            unlink(path.c_str());
            continue;
        }
        endpoints.push_back(path);
    }
    closedir(dir);
    return endpoints;
}

std::optional<IpcFrame> Exchange(const std::string& endpoint,
                                 const std::vector<std::uint8_t>& frame, bool awaitReply,
                                 int timeoutMs) {
    std::uint64_t deadline = GetTickCount64() + static_cast<std::uint64_t>(std::max(timeoutMs, 0));
    int fd = Connect(endpoint);
    if (fd < 0) return std::nullopt;
    std::optional<IpcFrame> reply;
    if (WriteAll(fd, frame, deadline)) {
        if (awaitReply) {
            shutdown(fd, SHUT_WR);
            reply = ReadReply(fd, deadline);
        } else {
            reply = IpcFrame{IpcKind::Reply, {}};
        }
    }
    close(fd);
    return reply;
}

int BroadcastToPeers(UINT msg, WPARAM w, LPARAM l) {
    if (msg < kFirstRegisteredMessage || msg > kLastRegisteredMessage) return 0;
    IpcWriter payload;
    payload.Put(static_cast<std::uint32_t>(msg))
        .Put(static_cast<std::uint64_t>(w))
        .Put(static_cast<std::int64_t>(l));
    std::vector<std::uint8_t> frame = EncodeFrame(IpcKind::Post, payload.Data());
    int reached = 0;
    // A post does not wait for the receiver; the short limit only covers a peer
    // whose socket is full.
    for (const std::string& endpoint : PeerEndpoints()) {
        if (Exchange(endpoint, frame, false, 100)) ++reached;
    }
    return reached;
}

std::optional<RemoteWindow> FindRemoteWindow(std::string_view className, std::string_view title,
                                             int timeoutMs) {
    IpcWriter payload;
    payload.Put(static_cast<std::uint32_t>(className.size()))
        .Put(static_cast<std::uint32_t>(title.size()));
    payload.PutBytes(className.data(), className.size()).PutBytes(title.data(), title.size());
    std::vector<std::uint8_t> frame = EncodeFrame(IpcKind::Find, payload.Data());
    for (const std::string& endpoint : PeerEndpoints()) {
        auto hwnd = ReplyValue(Exchange(endpoint, frame, true, timeoutMs));
        if (hwnd && *hwnd > 0 && *hwnd <= 0xFFFFFFFF)
            return RemoteWindow{endpoint, static_cast<HWND>(*hwnd)};
    }
    return std::nullopt;
}

bool SendCopyData(const RemoteWindow& window, UINT_PTR dwData,
                  const std::vector<std::uint8_t>& data, int timeoutMs, LRESULT* result) {
    if (data.size() + 12 > kIpcMaxPayload) return false;
    IpcWriter payload;
    payload.Put(static_cast<std::uint32_t>(window.hwnd)).Put(static_cast<std::uint64_t>(dwData));
    payload.PutBytes(data.data(), data.size());
    auto reply =
        Exchange(window.endpoint, EncodeFrame(IpcKind::CopyData, payload.Data()), true, timeoutMs);
    // The receiver answers an empty reply when it refuses the data.
    auto value = ReplyValue(reply);
    if (!value) return false;
    if (result != nullptr) *result = *value;
    return true;
}

}  // namespace vivori::ui
