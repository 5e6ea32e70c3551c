#include "app/SdkLink.h"

#include "lighting/LightTypes.h"
#include "platform/Debug.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using devices::LightParameters;

namespace {

constexpr ui::UINT kMsgChanges = ui::WM_USER + 1;
constexpr ui::UINT_PTR kRefreshTimer = 1;

bool IsDirect(const sdk::Mode& mode) {
    return (mode.flags & sdk::kHasPerLedColour) != 0;
}

// Keyboards and headsets take colours LED by LED; their host colours need no window.
bool TakesHostColours(const SdkRoute& route) {
    return route.kind == SdkRoute::Kind::Keyboard || route.kind == SdkRoute::Kind::Headset;
}

}  // namespace

SdkLink::SdkLink(DeviceList devices, ShowControlled showControlled)
    : devices_(std::move(devices)), showControlled_(std::move(showControlled)) {}

SdkLink::~SdkLink() {
    Stop();
}

bool SdkLink::Start(const sdk::ServerOptions& options) {
    window_.Create();
    signature_.clear();
    Refresh();
    if (!server_.Start(options)) return false;
    ui::SetTimer(window_.Handle(), kRefreshTimer, kRefreshMs);
    return true;
}

void SdkLink::Stop() {
    server_.Stop();
    if (window_.Handle() != 0) ui::KillTimer(window_.Handle(), kRefreshTimer);
    {
        std::lock_guard lock(pendingMutex_);
        pending_.clear();
    }
    ReleaseAll();
}

bool SdkLink::Controlling() const {
    std::lock_guard lock(routesMutex_);
    for (const auto& [key, route] : routes_)
        if (route.controlled) return true;
    return false;
}

void SdkLink::Refresh() {
    const std::vector<CQuorvaneUSBDevice*> devices = devices_();
    std::string signature;
    for (CQuorvaneUSBDevice* device : devices) signature += DescriptionSignature(*device);
    if (signature == signature_) return;
    signature_ = signature;
    std::vector<sdk::Controller> controllers;
    std::map<uint64_t, SdkRoute> routes;
    for (CQuorvaneUSBDevice* device : devices) {
        auto described = DescribeForClients(*device);
        if (!described) continue;
        routes.emplace(described->controller.key, std::move(described->route));
        controllers.push_back(std::move(described->controller));
    }
    {
        std::lock_guard lock(routesMutex_);
        for (auto& [key, route] : routes_) {
            auto kept = routes.find(key);
            if (kept == routes.end()) {
                // Gone: nothing to write to, but a later plug starts from its profile.
                route.device->ClearHostColours();
                continue;
            }
            kept->second.controlled = route.controlled;
            kept->second.direct = route.direct;
            kept->second.released = route.released;
            kept->second.lastLight = route.lastLight;
        }
        routes_ = std::move(routes);
    }
    registry_.SetControllers(std::move(controllers));
    server_.NotifyDeviceListUpdated();
    DebugPrintf("sdk: %zu controllers", registry_.Count());
    UpdateShown();
}

void SdkLink::ControllerChanged(const sdk::ControllerChange& change) {
    // Colours set while an effect runs wait in the registry until Direct is chosen.
    if (!change.modeChanged && !IsDirect(change.mode)) return;
    if (!change.modeChanged) {
        std::lock_guard lock(routesMutex_);
        auto found = routes_.find(change.key);
        if (found == routes_.end()) return;
        const SdkRoute& route = found->second;
        if (route.released) return;
        if (route.direct && TakesHostColours(route)) {
            route.device->SetHostColours(ColourListOf(route, change.colours));
            return;
        }
    }
    Queue(change, true);
}

// A change that waits meets a newer one of the same device: the newer state wins, and
// what either asked for (a mode change, a save) is kept.
void SdkLink::Queue(const sdk::ControllerChange& change, bool post) {
    std::lock_guard lock(pendingMutex_);
    auto [entry, fresh] = pending_.try_emplace(change.key, change);
    if (!fresh) {
        const bool modeChanged = entry->second.modeChanged || change.modeChanged;
        const bool save = entry->second.save || change.save;
        entry->second = change;
        entry->second.modeChanged = modeChanged;
        entry->second.save = save;
    }
    if (post && !posted_) posted_ = window_.Post(kMsgChanges);
}

void SdkLink::ClientsChanged(int count) {
    std::lock_guard lock(pendingMutex_);
    clients_ = count;
    clientsChanged_ = true;
    if (!posted_) posted_ = window_.Post(kMsgChanges);
}

void SdkLink::OnMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM) {
    if (msg == kMsgChanges) {
        ApplyPending();
    } else if (msg == ui::WM_TIMER && w == kRefreshTimer) {
        Refresh();
        ApplyPending();  // changes that waited for a busy device
    }
}

void SdkLink::ApplyPending() {
    std::map<uint64_t, sdk::ControllerChange> changes;
    bool lastLeft = false;
    {
        std::lock_guard lock(pendingMutex_);
        changes.swap(pending_);
        posted_ = false;
        lastLeft = clientsChanged_ && clients_ == 0;
        clientsChanged_ = false;
    }
    if (lastLeft) {
        ReleaseAll();
        return;
    }
    std::vector<sdk::ControllerChange> waiting;
    for (auto& [key, change] : changes) {
        std::unique_lock lock(routesMutex_);
        auto found = routes_.find(key);
        if (found == routes_.end()) continue;
        SdkRoute& route = found->second;
        lock.unlock();  // device writes below; the server's thread only reads routes
        if (!Apply(route, change)) waiting.push_back(change);
    }
    // The refresh timer tries them again: posting now would spin while the device works.
    for (const auto& change : waiting) Queue(change, false);
    UpdateShown();
}

bool SdkLink::Apply(SdkRoute& route, const sdk::ControllerChange& change) {
    CQuorvaneUSBDevice& device = *route.device;
    if (!device.Commands().IsOpen()) return true;
    if (route.released && !change.modeChanged) return true;
    const bool direct = IsDirect(change.mode);
    const bool firmwareColour = direct && !TakesHostColours(route);
    // Settings blocks queue on the device's own thread: one at a time, the newest wins.
    if ((firmwareColour || !direct) && !device.WaitWorkerIdle(0)) return false;
    device.Commands().SetSyncLighting(false);
    LightParameters light = device.Light();
    if (direct && route.kind == SdkRoute::Kind::Keyboard) {
        std::lock_guard lock(routesMutex_);
        device.SetHostColours(ColourListOf(route, change.colours));
        if (!route.direct) {
            // The keyboard shows the frames the host streams in its external-colour mode.
            light.mode = lighting::kExternalColourMode;
            light.speed = 4;
            light.brightness = 4;
            device.WriteTemporaryLight(light);
        }
    } else if (direct && route.kind == SdkRoute::Kind::Headset) {
        std::lock_guard lock(routesMutex_);
        device.SetHostColours(ColourListOf(route, change.colours));
    } else if (direct) {
        if (route.staticMode < 0 || change.colours.empty()) return true;
        light.mode = uint8_t(route.staticMode);
        light.colourful = 0;
        light.brightness = 4;
        light.red = change.colours[0].red;
        light.green = change.colours[0].green;
        light.blue = change.colours[0].blue;
        if (route.lastLight != light) device.WriteTemporaryLight(light);
        route.lastLight = light;
    } else {
        if (route.direct) device.ClearHostColours();
        light = LightOfMode(change.mode, light);
        if (change.save) {
            const std::array<uint32_t, 4> words{
                uint32_t(light.mode) | uint32_t(light.brightness) << 8 |
                    uint32_t(light.speed) << 16 | uint32_t(light.direction) << 24,
                uint32_t(light.colourful) | uint32_t(light.red) << 8 | uint32_t(light.green) << 16 |
                    uint32_t(light.blue) << 24,
                light.extra, light.colourBlock};
            device.SetLightParameters(words[0], words[1], words[2], words[3]);
            device.SaveProfile();
            device.ApplyProfileLighting();
            device.WriteSettings();
        } else if (route.lastLight != light || route.direct) {
            device.WriteTemporaryLight(light);
        }
        route.lastLight = light;
    }
    {
        std::lock_guard lock(routesMutex_);
        route.direct = direct;
        route.controlled = true;
        route.released = false;
    }
    return true;
}

void SdkLink::Release(CQuorvaneUSBDevice& device, bool restore) {
    std::unique_lock lock(routesMutex_);
    auto found = routes_.find(reinterpret_cast<uintptr_t>(&device));
    if (found == routes_.end() || !found->second.controlled) return;
    SdkRoute& route = found->second;
    lock.unlock();
    ReleaseRoute(route, restore);
    {
        std::lock_guard relock(routesMutex_);
        route.released = true;
    }
    UpdateShown();
}

void SdkLink::ReleaseRoute(SdkRoute& route, bool restore) {
    CQuorvaneUSBDevice& device = *route.device;
    {
        std::lock_guard lock(routesMutex_);
        route.controlled = false;
        route.direct = false;
        route.lastLight.reset();
    }
    device.ClearHostColours();
    if (!restore || !device.Commands().IsOpen()) return;
    device.ApplyProfileLighting();
    device.WriteSettings();
}

void SdkLink::ReleaseAll() {
    std::vector<SdkRoute*> controlled;
    {
        std::lock_guard lock(routesMutex_);
        for (auto& [key, route] : routes_) {
            route.released = false;
            if (route.controlled) controlled.push_back(&route);
        }
    }
    for (SdkRoute* route : controlled) ReleaseRoute(*route, true);
    if (!controlled.empty())
        DebugPrintf("sdk: %zu devices have their own lighting back", controlled.size());
    UpdateShown();
}

void SdkLink::UpdateShown() {
    const bool controlling = Controlling();
    if (controlling == shown_) return;
    shown_ = controlling;
    if (showControlled_) showControlled_(controlling);
}

}  // namespace vivori::app
