#include "app/CDeviceOptionUI.h"

#include <algorithm>

#include "devices/CQuorvaneUSBDevice.h"
#include "devices/DeviceMessages.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "ui/core/CContainerUI.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/IRender.h"
#include "ui/message/Messages.h"

namespace vivori::app {
namespace {

// The icon prefix of a device kind; empty: the kind leaves the icons as they are.
std::string IconPrefix(int kind, int subkind) {
    switch (kind) {
        case 1:
            return "kb";
        case 2:
            return "ms";
        case 3:
            return subkind == 0 ? "hard_mp" : subkind == 1 ? "soft_mp" : "";
        case 4:
        case 7:
            return "hd";
        case 5:
            return "hub";
        default:
            return "unknow";
    }
}

constexpr const char* kNameColour = "#FFA0A3AD";  // as the layout has it
constexpr const char* kNotAnsweringColour = "#FFE0483E";

}  // namespace

void* CDeviceOptionUI::GetInterface(std::string_view name) {
    if (name == "DeviceOption") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CDeviceOptionUI::DoEvent(ui::TEventUI& event) {
    if (event.type == ui::UiEventType::Timer) {
        const unsigned id = event.key;
        switch (id) {
            case kLightTimer:
            case kConnectTimer:
            case kSyncTimer:
            case kPowerTimer:
            case kLinkWatchTimer:
                KillTimer(id);
                // A entry without a device does no device work.
                if (device_ == nullptr) return;
                if (id == kLightTimer) OnLightTimer();
                if (id == kConnectTimer) OnConnectTimer();
                if (id == kSyncTimer) device_->SyncFromDevice();
                if (id == kPowerTimer) OnPowerTimer();
                if (id == kLinkWatchTimer) OnLinkWatchTimer();
                return;
            default:
                break;
        }
    }
    CHorizontalLayoutUI::DoEvent(event);
}

bool CDeviceOptionUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    if (manager_ != nullptr) manager_->SendNotify(this, ui::kNotifySelectChanged);
    return true;
}

// ---- timers ----

bool CDeviceOptionUI::OnReceiver() const {
    return device_ != nullptr && device_->Commands().IsReceiverLink();
}

bool CDeviceOptionUI::IsOpen() const {
    return device_ != nullptr && device_->Commands().IsOpen();
}

void CDeviceOptionUI::SendReachable(bool reachable) {
    ui::SendMessage(device_->Window(), devices::kMsgShowSelectorEntry,
                    static_cast<ui::WPARAM>(device_->SelectorValue()), reachable ? 1 : 0);
}

unsigned CDeviceOptionUI::PicturePeriodMs() const {
    const unsigned output = OnReceiver() ? kLightReceiverMs : kLightWiredMs;
    // The device's frames and LED rounds have their own clock; the screen needs no more
    // pictures than it shows.
    return std::max(output, device_->PreviewPeriodMs());
}

unsigned CDeviceOptionUI::LightPeriodMs() const {
    // A device that tells each change needs only a look now and then, for what changes
    // the picture without a step (the function page, who controls the lights).
    const unsigned period = PicturePeriodMs();
    return device_->TellsLightChanges() ? std::max(period, kLightLookMs) : period;
}

bool CDeviceOptionUI::PreviewSeen() const {
    return device_->IsWindowActive() && IsShown() && IsSelected();
}

void CDeviceOptionUI::PaintLights() {
    device_->LightsSeen();
    device_->RefreshLights();
    lastLightPicture_ = GetTickCount();
}

void CDeviceOptionUI::OnLightTimer() {
    // The LED buttons whose colour changed repaint themselves; the picture around them
    // stays as it is.
    PaintLights();
    lightClock_ = IsOpen();
    // Only the page in view has a picture to paint: otherwise the clock waits for
    // OnWindowShown instead of waking the process for nothing.
    if (lightClock_ && PreviewSeen()) SetTimer(kLightTimer, LightPeriodMs());
}

void CDeviceOptionUI::OnLightsChanged() {
    if (device_ == nullptr) return;
    if (!lightClock_ || !PreviewSeen()) {
        device_->LightsSeen();
        return;
    }
    // At most one picture per screen refresh: a change sooner waits for its turn.
    const uint32_t since = GetTickCount() - lastLightPicture_;
    const unsigned period = PicturePeriodMs();
    if (since >= period)
        PaintLights();
    else
        SetTimer(kLightTimer, period - since);
}

void CDeviceOptionUI::OnWindowShown() {
    if (lightClock_ && device_ != nullptr) SetTimer(kLightTimer, kLightFirstMs);
}

void CDeviceOptionUI::OnConnectTimer() {
    // The transport opens after the entry is shown; until then there is nothing to run.
    if (!IsOpen()) {
        SetTimer(kConnectTimer, kConnectMs);
        return;
    }
    if (!OnReceiver()) {
        Connect();
        return;
    }
    const bool checking = CheckLink([this](bool online) {
        if (!online) {
            // The main window hides the entry: it must still see it shown and selected
            // to hand the selection to another device.
            if (IsShown()) SendReachable(false);
            SetTimer(kConnectTimer, kConnectRetryMs);
            return;
        }
        SendReachable(true);
        Connect();
    });
    if (!checking) SetTimer(kConnectTimer, kConnectRetryMs);
}

bool CDeviceOptionUI::CheckLink(std::function<void(bool)> then) {
    // One check at a time; one whose answer never came (the device left and its
    // worker dropped it) no longer counts after a while.
    const uint32_t now = GetTickCount();
    if (linkCheckQueued_ && now - linkCheckSince_ < kLinkCheckStaleMs) return false;
    linkCheckQueued_ = true;
    linkCheckSince_ = now;
    // The exchange runs on the device's thread; the entry may be gone when it ends.
    device_->QueueLinkCheck([this, alive = std::weak_ptr<int>(alive_),
                             then = std::move(then)](bool online) {
        if (alive.expired()) return;
        linkCheckQueued_ = false;
        then(online);
    });
    return true;
}

void CDeviceOptionUI::Connect() {
    // The reads run on the device's worker; the page says "reading…" until they end,
    // and then what a failed write left pending goes out.
    device_->OnConnected();
    lightClock_ = true;
    SetTimer(kLightTimer, kLightFirstMs);
    // Every kind reads its power once; only those that show it keep polling.
    if (IsOpen()) SetTimer(kPowerTimer, kPowerFirstMs);
    if (OnReceiver()) StartLinkWatch(kLinkWatchFirstMs);
}

void CDeviceOptionUI::OnPowerTimer() {
    // Hidden, the window pauses the poll; the tray still lists the battery and warns
    // when it runs low, so one read in kHiddenPowerReads still goes out.
    if (device_->IsPowerPollPaused()) {
        if (++pausedPolls_ % kHiddenPowerReads == 0) {
            device_->SetPowerPollPause(false);
            device_->ReadPowerStatus();
            device_->SetPowerPollPause(true);
        }
    } else {
        pausedPolls_ = 0;
        device_->ReadPowerStatus();
    }
    // Pads have no battery: one read (the phone on it) is all they get.
    // A device that does not answer is asked again on every poll, whatever its kind.
    if (device_->PowerDisplay() || device_->NotAnswering())
        SetTimer(kPowerTimer, powerPeriodMs_);
    else if (device_->DeviceKind() == kKindHeadset)
        SetTimer(kPowerTimer, headsetPowerPeriodMs_);
}

void CDeviceOptionUI::OnLinkWatchTimer() {
    if (!OnReceiver()) {
        if (IsOpen()) DebugOutput("2.4gcesvdfherhue  12312423");
        return;
    }
    const bool checking = CheckLink([this](bool online) {
        if (online) {
            if (!IsShown()) {
                SendReachable(true);
                if (device_->PowerDisplay()) device_->ReadPowerStatus();
                DebugOutput("2.4gcesvdfherhue  12312423 123342341");
            }
        } else if (IsShown()) {
            SendReachable(false);
            DebugOutput("2.4gcesvdfherhue");
        }
        if (OnReceiver()) StartLinkWatch(kLinkWatchMs);
    });
    if (!checking) StartLinkWatch(kLinkWatchMs);
}

void CDeviceOptionUI::StartConnectTimer(unsigned elapseMs) {
    SetTimer(kConnectTimer, elapseMs);
}

void CDeviceOptionUI::StopConnectionTimers() {
    KillTimer(kConnectTimer);
    KillTimer(kLinkWatchTimer);
}

void CDeviceOptionUI::StartLinkWatch(unsigned periodMs) {
    if (IsOpen()) SetTimer(kLinkWatchTimer, periodMs);
}

void CDeviceOptionUI::StartSyncTimer(unsigned elapseMs) {
    SetTimer(kSyncTimer, elapseMs);
}

// ---- binding ----

void CDeviceOptionUI::Bind(std::string tabName, ui::CControlUI* page, std::string powerTabName,
                           ui::CControlUI* power) {
    tabName_ = std::move(tabName);
    page_ = page;
    powerTabName_ = std::move(powerTabName);
    power_ = power;
}

int CDeviceOptionUI::IndexIn(ui::CControlUI* control, const std::string& tabName) {
    if (control == nullptr || control->GetParent() == nullptr) return -1;
    auto* parent = static_cast<ui::CContainerUI*>(control->GetParent()->GetInterface("Container"));
    if (parent == nullptr || !ui::EqualNoCase(control->GetParent()->GetName(), tabName)) return -1;
    return parent->GetItemIndex(control);
}

int CDeviceOptionUI::TabIndex() const {
    return IndexIn(page_, tabName_);
}

int CDeviceOptionUI::PowerIndex() const {
    return IndexIn(power_, powerTabName_);
}

void CDeviceOptionUI::AttachDevice(devices::CQuorvaneUSBDevice* device) {
    device_ = device;
    if (device_ == nullptr) return;
    device_->SetDeviceOption(this);
    device_->SetLightsChangedHandler([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) OnLightsChanged();
    });
}

// ---- icons and children ----

void CDeviceOptionUI::SetDeviceType(int kind, int subkind) {
    kind_ = kind;
    subkind_ = subkind;
    const std::string prefix = IconPrefix(kind, subkind);
    if (prefix.empty()) return;
    // The name under the icon is the kind's name in the current language.
    SetDeviceName(prefix + "_device_name_text");
    const std::string folder = "common/device_ico/" + prefix;
    normalIcon_ = folder + "_device_normal.png";
    selectedIcon_ = folder + "_device_selected.png";
    synchroNormalIcon_ = folder + "_device_synchro_normal.png";
    synchroSelectedIcon_ = folder + "_device_synchro_selected.png";
    if (ui::COptionUI* option = SelectOption()) {
        ShowIcons(false);
        option->SetAttribute("disabledimage", ui::WithImageFile(option->GetNormalImage(), normalIcon_));
        option->SetToolTip(prefix + "_device_name_text");
    }
}

void CDeviceOptionUI::ShowIcons(bool synchro) {
    ui::COptionUI* option = SelectOption();
    if (option == nullptr) return;
    const std::string& normal = synchro ? synchroNormalIcon_ : normalIcon_;
    const std::string& selected = synchro ? synchroSelectedIcon_ : selectedIcon_;
    const std::string current = option->GetNormalImage();
    option->SetNormalImage(ui::WithImageFile(current, normal));
    option->SetAttribute("selectedimage", ui::WithImageFile(current, selected));
}

void CDeviceOptionUI::SetDeviceName(std::string_view name) {
    deviceName_ = name;
    ShowName();
}

void CDeviceOptionUI::ShowAnswering(bool answering) {
    if (answering == answering_) return;
    answering_ = answering;
    ShowName();
}

void CDeviceOptionUI::ShowReading(bool reading) {
    if (reading == reading_) return;
    reading_ = reading;
    ShowName();
}

void CDeviceOptionUI::ShowName() {
    if (manager_ == nullptr) return;
    if (ui::CControlUI* label = manager_->FindSubControlByName(this, "device_select_name")) {
        label->SetText(reading_     ? std::string("device_reading_text")
                       : answering_ ? deviceName_
                                    : std::string("device_not_answering_text"));
        label->SetAttribute("textcolor",
                            answering_ || reading_ ? kNameColour : kNotAnsweringColour);
    }
}

void CDeviceOptionUI::SetGroup(std::string_view group) {
    if (ui::COptionUI* option = SelectOption()) option->SetGroup(group);
}

ui::COptionUI* CDeviceOptionUI::Option(std::string_view name) const {
    if (manager_ == nullptr) return nullptr;
    ui::CControlUI* control =
        manager_->FindSubControlByName(const_cast<CDeviceOptionUI*>(this), name);
    return control ? static_cast<ui::COptionUI*>(control->GetInterface("Option")) : nullptr;
}

ui::COptionUI* CDeviceOptionUI::SelectOption() const {
    return Option("device_select");
}

ui::COptionUI* CDeviceOptionUI::SynchroOption() const {
    return Option("synchro_device_select");
}

bool CDeviceOptionUI::IsSelected() const {
    ui::COptionUI* option = SelectOption();
    return option && option->IsSelected();
}

void CDeviceOptionUI::SetDeviceSelected(bool selected) {
    if (ui::COptionUI* option = SelectOption()) option->Selected(selected);
}

void CDeviceOptionUI::ShowSynchro(bool show) {
    ui::COptionUI* synchro = SynchroOption();
    if (synchro == nullptr) return;
    synchro->SetVisible(show);
    ShowIcons(synchro->IsSelected());
}

bool CDeviceOptionUI::IsSynchroSelected() const {
    ui::COptionUI* synchro = SynchroOption();
    return synchro && synchro->IsSelected();
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    if (ui::COptionUI* option = SynchroOption()) option->Selected(selected, false);
    ShowIcons(selected);
}

}  // namespace vivori::app
