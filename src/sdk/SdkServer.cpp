#include "sdk/SdkServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Debug.h"
#include "sdk/SdkSession.h"

namespace vivori::sdk {

namespace {

uint64_t NowMs() {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

struct Client {
    int fd = -1;
    std::unique_ptr<SdkSession> session;
    std::vector<uint8_t> outgoing;
    size_t sent = 0;            // of outgoing
    uint64_t partialSince = 0;  // last bytes of an unfinished packet; 0 for none
};

std::string PeerOf(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = "?";
    uint16_t port = 0;
    if (address.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        port = ntohs(a->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        port = ntohs(a->sin6_port);
    }
    return std::string(text) + ":" + std::to_string(port);
}

}  // namespace

SdkServer::SdkServer(SdkRegistry& registry, SdkActions* actions)
    : registry_(registry), actions_(actions) {}

SdkServer::~SdkServer() {
    Stop();
}

bool SdkServer::Start(const ServerOptions& options) {
    Stop();
    options_ = options;
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, options.address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(options.port);
        length = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, options.address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(options.port);
        length = sizeof(sockaddr_in6);
    } else {
        lastError_ = std::string("\"").append(options.address).append("\" is not an address to listen on");
        DebugPrintf("sdk: %s", lastError_.c_str());
        return false;
    }
    listenFd_ = socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int one = 1;
    if (listenFd_ >= 0) setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listenFd_, 8) != 0) {
        lastError_ = options.address + " port " + std::to_string(options.port) + ": " +
                     std::strerror(errno);
        DebugPrintf("sdk: cannot listen on %s", lastError_.c_str());
        if (listenFd_ >= 0) close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
    DebugPrintf("sdk: listening on %s port %u", options.address.c_str(), unsigned(port_));
    return true;
}

void SdkServer::Stop() {
    if (!thread_.joinable()) return;
    stopping_ = true;
    Wake();
    thread_.join();
    close(listenFd_);
    close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
}

void SdkServer::Wake() {
    const uint64_t one = 1;
    if (wakeFd_ >= 0 && write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is full: the thread is awake already.
    }
}

void SdkServer::NotifyDeviceListUpdated() {
    listChanged_ = true;
    Wake();
}

void SdkServer::Run() {
    std::vector<Client> clients;
    std::vector<pollfd> fds;
    std::vector<uint8_t> incoming(64 * 1024);
    auto drop = [&](size_t i, const char* why) {
        DebugPrintf("sdk: client %s %s", clients[i].session->Peer().c_str(), why);
        close(clients[i].fd);
        clients.erase(clients.begin() + std::ptrdiff_t(i));
        clients_ = int(clients.size());
        if (actions_) actions_->ClientsChanged(int(clients.size()));
    };
    while (!stopping_) {
        fds.clear();
        fds.push_back({wakeFd_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        for (const Client& c : clients)
            fds.push_back({c.fd, short(POLLIN | (c.outgoing.size() > c.sent ? POLLOUT : 0)), 0});
        // With a packet unfinished, wake in time to see it stall.
        int timeout = -1;
        for (const Client& c : clients)
            if (c.partialSince != 0) timeout = std::max(options_.partialPacketMs / 4, 10);
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            uint64_t value = 0;
            if (read(wakeFd_, &value, sizeof value) < 0) value = 0;
        }
        if (stopping_) break;
        if (listChanged_.exchange(false))
            for (Client& c : clients) AppendHeader(c.outgoing, 0, kDeviceListUpdated, 0);
        // Clients first: the accepted ones below have no entry in fds yet.
        const uint64_t now = NowMs();
        for (size_t i = clients.size(); i-- > 0;) {
            Client& c = clients[i];
            const short events = fds[i + 2].revents;
            if (events & POLLIN) {
                const ssize_t n = recv(c.fd, incoming.data(), incoming.size(), 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                    drop(i, "left");
                    continue;
                }
                if (n > 0) {
                    if (!c.session->Feed({incoming.data(), size_t(n)}, c.outgoing)) {
                        drop(i, "disconnected");
                        continue;
                    }
                    c.partialSince = c.session->HasPartialPacket() ? now : 0;
                }
            } else if (events & (POLLHUP | POLLERR)) {
                drop(i, "left");
                continue;
            }
            if (c.partialSince != 0 && now - c.partialSince >= uint64_t(options_.partialPacketMs)) {
                drop(i, "stopped in the middle of a packet, disconnected");
                continue;
            }
            if (c.outgoing.size() - c.sent > options_.maxQueuedBytes) {
                drop(i, "reads nothing, disconnected");
                continue;
            }
            if (c.outgoing.size() > c.sent) {
                const ssize_t n = send(c.fd, c.outgoing.data() + c.sent, c.outgoing.size() - c.sent,
                                       MSG_NOSIGNAL);
                if (n < 0 && errno != EAGAIN && errno != EINTR) {
                    drop(i, "left");
                    continue;
                }
                if (n > 0) c.sent += size_t(n);
                if (c.sent == c.outgoing.size()) {
                    c.outgoing.clear();
                    c.sent = 0;
                }
            }
        }
        if (fds[1].revents & POLLIN) {
            sockaddr_storage peer{};
            socklen_t length = sizeof peer;
            const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                                   SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                if (int(clients.size()) >= options_.maxClients) {
                    DebugPrintf("sdk: client %s refused: %d clients already", PeerOf(peer).c_str(),
                                options_.maxClients);
                    close(fd);
                } else {
                    const int one = 1;
                    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    Client c;
                    c.fd = fd;
                    c.session = std::make_unique<SdkSession>(registry_, actions_, PeerOf(peer));
                    DebugPrintf("sdk: client %s connected", c.session->Peer().c_str());
                    clients.push_back(std::move(c));
                    clients_ = int(clients.size());
                    if (actions_) actions_->ClientsChanged(int(clients.size()));
                }
            }
        }
    }
    for (Client& c : clients) close(c.fd);
    const bool had = !clients.empty();
    clients.clear();
    clients_ = 0;
    if (had && actions_) actions_->ClientsChanged(0);
}

}  // namespace vivori::sdk
