#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/SdkControllers.h"
#include "devices/DeviceMessageWindow.h"
#include "sdk/SdkRegistry.h"
#include "sdk/SdkServer.h"

namespace vivori::app {

// The application's side of the lighting-client server: a controller for every
// attached device, and what clients set carried out on the devices.
//
// Threads: the server's thread calls ControllerChanged and ClientsChanged. Colours of
// a keyboard or headset already in Direct mode go straight into the device's host
// colours (under its light lock); everything else is posted to the UI thread, where
// only the newest change of each device is carried out. The rest is UI thread.
class SdkLink : public sdk::SdkActions {
  public:
    using DeviceList = std::function<std::vector<devices::CQuorvaneUSBDevice*>()>;
    // Told whether a client drives the lights of any device now.
    using ShowControlled = std::function<void(bool)>;
    static constexpr unsigned kRefreshMs = 250;

    SdkLink(DeviceList devices, ShowControlled showControlled);
    ~SdkLink() override;
    SdkLink(const SdkLink&) = delete;
    SdkLink& operator=(const SdkLink&) = delete;

    bool Start(const sdk::ServerOptions& options);
    const std::string& LastError() const { return server_.LastError(); }
    // Gives every device driven by a client its own lighting back.
    void Stop();
    bool Running() const { return server_.Running(); }
    uint16_t Port() const { return server_.Port(); }
    int ClientCount() const { return server_.ClientCount(); }
    bool Controlling() const;

    // The attached devices may have changed: the clients' list follows (and they are
    // told when it changed).
    void Refresh();
    // The user chose this device's lighting on its page. With restore, its profile's
    // lighting is applied and written here; without, the caller does that.
    void Release(devices::CQuorvaneUSBDevice& device, bool restore);

    sdk::SdkRegistry& Registry() { return registry_; }

    void ControllerChanged(const sdk::ControllerChange& change) override;
    void ClientsChanged(int count) override;

  private:
    void Queue(const sdk::ControllerChange& change, bool post);
    void OnMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l);
    void ApplyPending();
    // False when the device is busy and the change must wait.
    bool Apply(SdkRoute& route, const sdk::ControllerChange& change);
    void ReleaseRoute(SdkRoute& route, bool restore);
    void ReleaseAll();
    void UpdateShown();

    DeviceList devices_;
    ShowControlled showControlled_;
    sdk::SdkRegistry registry_;
    sdk::SdkServer server_{registry_, this};
    std::string signature_;
    bool shown_ = false;

    // Routes by controller key: the UI thread writes, the server's thread reads.
    mutable std::mutex routesMutex_;
    std::map<uint64_t, SdkRoute> routes_;

    std::mutex pendingMutex_;
    std::map<uint64_t, sdk::ControllerChange> pending_;
    bool posted_ = false;
    int clients_ = 0;
    bool clientsChanged_ = false;

    devices::DeviceMessageWindow window_{
        [this](ui::UINT msg, ui::WPARAM w, ui::LPARAM l) { OnMessage(msg, w, l); }};
};

}  // namespace vivori::app
