#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "sdk/SdkRegistry.h"

namespace vivori::sdk {

struct ServerOptions {
    std::string address = "127.0.0.1";
    uint16_t port = 6742;  // 0: any free port (tests)
    int maxClients = 16;
    // A client that sends nothing more this long with a packet unfinished is disconnected.
    int partialPacketMs = 3000;
    // A client that reads nothing while this much waits for it is disconnected.
    size_t maxQueuedBytes = 8u << 20;
};

// The TCP server: one thread that polls the listening socket and every client, so a
// slow or silent client never holds up another or the window. Clients beyond the
// limit are turned away at once.
class SdkServer {
  public:
    SdkServer(SdkRegistry& registry, SdkActions* actions);
    ~SdkServer();
    SdkServer(const SdkServer&) = delete;
    SdkServer& operator=(const SdkServer&) = delete;

    // Binds and starts the thread; false (with a debug line) when the address or port
    // cannot be used.
    bool Start(const ServerOptions& options);
    // Why the last Start failed, for the user ("127.0.0.1 port 80: Permission denied").
    const std::string& LastError() const { return lastError_; }
    void Stop();
    bool Running() const { return thread_.joinable(); }
    uint16_t Port() const { return port_; }
    int ClientCount() const { return clients_.load(); }
    // Tells every client that the controller list changed.
    void NotifyDeviceListUpdated();

  private:
    void Run();
    void Wake();

    SdkRegistry& registry_;
    SdkActions* actions_;
    ServerOptions options_;
    std::string lastError_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> listChanged_{false};
    std::atomic<int> clients_{0};
    std::thread thread_;
};

}  // namespace vivori::sdk
