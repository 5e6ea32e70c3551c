#include "devices/CQuorvaneUSBDevice.h"

#include <algorithm>

#include "devices/ConfigSequence.h"
#include "devices/DeviceMessages.h"
#include "devices/IDeviceKeyButton.h"
#include "devices/ProfileLighting.h"
#include "macros/MacroLibrary.h"
#include "panels/CLightControlUI.h"
#include "platform/Debug.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/message/Messages.h"

namespace vivori::devices {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// The number after a prefix (compared without case), as in "light_7"; false for
// anything else, including numbers too long to be an index.
bool ParseIndexedName(std::string_view name, std::string_view prefix, int& index) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6) return false;
    if (!ui::EqualNoCase(name.substr(0, prefix.size()), prefix)) return false;
    int value = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    index = value;
    return true;
}

bool IsWithin(const ui::CControlUI* control, const ui::CControlUI* ancestor) {
    for (; control != nullptr; control = control->GetParent())
        if (control == ancestor) return true;
    return false;
}

}  // namespace

CQuorvaneUSBDevice::CQuorvaneUSBDevice(std::shared_ptr<hid::HidBus> bus)
    : commands_(bus), notifications_(bus), folders_(profiles::DataFolders::FromEnvironment()) {}

CQuorvaneUSBDevice::~CQuorvaneUSBDevice() {
    worker_.Stop();
    workerWindow_.Destroy();
    wiredChannel_.Close();
    receiverChannel_.Close();
    if (notifierRegistered_ && manager_ != nullptr) manager_->RemoveNotifier(this);
}

void* CQuorvaneUSBDevice::GetInterface(std::string_view name) {
    if (name == "QuorvaneUSBDevice") return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CQuorvaneUSBDevice::Notify(ui::TNotifyUI& msg) {
    if (IsWithin(msg.pSender, this)) NotifyPump(msg);
}

ui::CControlUI* CQuorvaneUSBDevice::FindChild(std::string_view name) {
    return FindControl(
        [name](ui::CControlUI* c) { return ui::EqualNoCase(c->GetName(), name) ? c : nullptr; },
        ui::kFindAll);
}

void CQuorvaneUSBDevice::SelectTab(std::string_view tabName, int index) {
    if (auto* tab = dynamic_cast<ui::CTabLayoutUI*>(FindChild(tabName))) tab->SelectItem(index);
}

void CQuorvaneUSBDevice::InitPage() {
    std::fill(keyButtons_.begin(), keyButtons_.end(), nullptr);
    std::fill(ledButtons_.begin(), ledButtons_.end(), nullptr);
    selectPanel_ = layoutName_.empty() ? nullptr : FindChild("SelectPanel");
    if (layoutName_.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
    } else if (selectPanel_ != nullptr) {
        selectPanel_->FindControl(
            [this](ui::CControlUI* c) -> ui::CControlUI* {
                auto* button = static_cast<IDeviceKeyButton*>(c->GetInterface(kDeviceKeyButton));
                int index = 0;
                if (button == nullptr) return nullptr;
                // Names from the layout file index the vectors: only in-range ones count.
                if (ParseIndexedName(c->GetName(), "key_", index) && index < KeyCount()) {
                    keyButtons_[static_cast<size_t>(index)] = c;
                } else if (ParseIndexedName(c->GetName(), "light_", index) && index < LedCount()) {
                    ledButtons_[static_cast<size_t>(index)] = c;
                    button->SetLightColour(kWhite, 255);
                }
                return nullptr;
            },
            ui::kFindAll);
    }
    if (manager_ != nullptr && !notifierRegistered_)
        notifierRegistered_ = manager_->AddNotifier(this);
    lightPanel_ = nullptr;
    if (panels::CLightControlUI* panel = LightPanel()) panel->SetDeviceType(LightPanelType());
    BuildPage();
}

void CQuorvaneUSBDevice::SetManager(ui::CPaintManagerUI* manager, ui::CControlUI* parent,
                                    bool init) {
    // A page moved to another manager (or taken out) stops listening to the old one.
    if (notifierRegistered_ && manager_ != nullptr && manager != manager_) {
        manager_->RemoveNotifier(this);
        notifierRegistered_ = false;
    }
    CHorizontalLayoutUI::SetManager(manager, parent, init);
}

void CQuorvaneUSBDevice::SetLedColour(int index, LedColour colour) {
    CriticalSectionLock lock(lightLock_);
    if (index < 0 || static_cast<size_t>(index) >= ledColours_.size()) return;
    ledColours_[static_cast<size_t>(index)] = colour;
}

LedColour CQuorvaneUSBDevice::GetLedColour(int index) const {
    CriticalSectionLock lock(lightLock_);
    if (index < 0 || static_cast<size_t>(index) >= ledColours_.size()) return {};
    return ledColours_[static_cast<size_t>(index)];
}

void CQuorvaneUSBDevice::SetThirdMap(std::map<int, int> map) {
    CriticalSectionLock lock(lightLock_);
    thirdMap_ = std::move(map);
}

void CQuorvaneUSBDevice::RingToKeyLevels() {
    CriticalSectionLock lock(lightLock_);
    columnRing_.ToKeyLevels(keyLevels_);
}

void CQuorvaneUSBDevice::RotateColumnRing(bool towardHigher) {
    CriticalSectionLock lock(lightLock_);
    columnRing_.Rotate(towardHigher);
}

void CQuorvaneUSBDevice::ClearKeyLevels() {
    CriticalSectionLock lock(lightLock_);
    keyLevels_.fill(0);
    columnRing_.Clear();
}

void CQuorvaneUSBDevice::ShowTip(int page) {
    functionPage_ = page;
    const bool keyboardOrMouse = deviceKind_ == kKindKeyboard || deviceKind_ == kKindMouse;
    int keyTab = -1;
    switch (page) {
        case 2:
        case 6:
            keyTab = 1;
            break;
        case 3:
        case 8:
            SelectTab("device_function_switch", 1);
            return;
        case 4:
            if (keyboardOrMouse) {
                SelectTab("device_function_switch", 3);
                return;
            }
            // Other kinds fall through to the page-7 view, as the firmware tools do.
            keyTab = 2;
            break;
        case 5:
            SelectTab("device_function_switch", 2);
            return;
        case 7:
            keyTab = 2;
            break;
        default:
            keyTab = 0;
            break;
    }
    SelectTab("device_key_function_switch", keyTab);
    SelectTab("device_function_switch", 0);
}

void CQuorvaneUSBDevice::SetLightParameters(uint32_t modeWord, uint32_t colourWord, uint32_t extra,
                                            uint32_t colourBlock) {
    LightParameters stored;
    {
        CriticalSectionLock lock(lightLock_);
        light_.mode = static_cast<uint8_t>(modeWord);
        light_.brightness = static_cast<uint8_t>(modeWord >> 8);
        light_.speed = static_cast<uint8_t>(modeWord >> 16);
        light_.direction = static_cast<uint8_t>(modeWord >> 24);
        light_.colourful = static_cast<uint8_t>(colourWord);
        light_.red = static_cast<uint8_t>(colourWord >> 8);
        light_.green = static_cast<uint8_t>(colourWord >> 16);
        light_.blue = static_cast<uint8_t>(colourWord >> 24);
        light_.extra = extra;
        light_.colourBlock = colourBlock;
        stored = light_;
    }
    if (profiles::CBasicProfiledata* profile = LightProfile())
        profile->SetLightInfo(LightInfoOf(stored, profile->GetLightInfo()));
}

std::array<uint32_t, 4> CQuorvaneUSBDevice::GetLightParameters() const {
    return LightWordsOf(Light());
}

void CQuorvaneUSBDevice::StoreLightEdit(const std::array<uint32_t, 4>& words) {
    SetLightParameters(words[0], words[1], words[2], words[3]);
    SaveProfile();
    ApplyProfileLighting();
}

void CQuorvaneUSBDevice::SetCurrentColour(int red, int green, int blue) {
    currentColour_ = {red, green, blue};
    if (colourPanel_ == nullptr) return;
    auto channel = [](int v) { return static_cast<ui::UiColor>(std::clamp(v, 0, 255)); };
    colourPanel_->SetSelectColor(0xFF000000 | channel(red) << 16 | channel(green) << 8 |
                                 channel(blue));
}

void CQuorvaneUSBDevice::SetAudioLightWords(AudioLightWords words) {
    CriticalSectionLock lock(lightLock_);
    audioWords_ = words;
}

AudioLightWords CQuorvaneUSBDevice::GetAudioLightWords() const {
    CriticalSectionLock lock(lightLock_);
    return audioWords_;
}

std::array<int, 3> CQuorvaneUSBDevice::GetCurrentColour() const {
    if (colourPanel_ == nullptr) return currentColour_;
    const ui::UiColor c = colourPanel_->GetSelectColor();
    return {int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF)};
}

std::filesystem::path CQuorvaneUSBDevice::DataFolder() const {
    return folders_.DataFolder(dataFolderName_);
}

std::filesystem::path CQuorvaneUSBDevice::DefaultDataFolder() const {
    return folders_.DefaultDataFolder();
}

std::filesystem::path CQuorvaneUSBDevice::DefaultDataFile() const {
    return folders_.DefaultDataFile(dataFolderName_);
}

void CQuorvaneUSBDevice::SetHostLightControl(bool on) {
    hostLightControl_.store(on);
    if (on && deviceKind_ == kKindKeyboard && commands_.IsOpen()) commands_.HostLightOn();
    WakeLightThreads();
}

void CQuorvaneUSBDevice::SetDescriptor(const DeviceDescriptor& descriptor) {
    descriptor_ = descriptor;
    deviceKind_ = descriptor.kind;
    linkKind_ = descriptor.link;
    if (panels::CLightControlUI* panel = LightPanel()) panel->SetDeviceType(LightPanelType());
}

int CQuorvaneUSBDevice::LightPanelType() const {
    switch (deviceKind_) {
        case kKindKeyboardReceiver:
            return kKindKeyboard;
        case kKindMouseReceiver:
            return kKindMouse;
        default:
            return deviceKind_;
    }
}

panels::CLightControlUI* CQuorvaneUSBDevice::LightPanel() {
    if (lightPanel_ != nullptr) return lightPanel_;
    ui::CControlUI* found =
        FindControl([](ui::CControlUI* c) { return c->GetInterface("LightControl") ? c : nullptr; },
                    ui::kFindAll);
    if (found != nullptr)
        lightPanel_ = static_cast<panels::CLightControlUI*>(found->GetInterface("LightControl"));
    return lightPanel_;
}

void CQuorvaneUSBDevice::ShowModeList(const profiles::LightNameLists& lists) {
    constexpr int kMaxLevel = 4;  // the brightness and speed levels every kind offers
    if (panels::CLightControlUI* panel = LightPanel())
        panel->InitModeList(lists.modeNames, lists.modeVisible, kMaxLevel, kMaxLevel);
}

void CQuorvaneUSBDevice::ShowLightParameters() {
    panels::CLightControlUI* panel = LightPanel();
    if (panel == nullptr) return;
    const std::array<uint32_t, 4> light = GetLightParameters();
    panel->SetLightInfo({light[0], light[1], light[2] << 24});
    ShowAudioLight();
}

void CQuorvaneUSBDevice::ShowAudioLight() {
    panels::CLightControlUI* panel = LightPanel();
    if (panel == nullptr) return;
    // The stored audio words: the colour panel's RGB is another setting altogether.
    const AudioLightWords words = GetAudioLightWords();
    panel->SetAudioLightInfo({words.first, words.second, words.layer});
}

void CQuorvaneUSBDevice::SetPageTexts(std::string first, std::string second) {
    pageText1_ = std::move(first);
    pageText2_ = std::move(second);
}

void CQuorvaneUSBDevice::SetKeyCount(int count) {
    keyButtons_.resize(static_cast<size_t>(std::max(count, 0)), nullptr);
}

void CQuorvaneUSBDevice::SetLedCount(int count) {
    const size_t size = static_cast<size_t>(std::max(count, 0));
    ledButtons_.resize(size, nullptr);
    {
        CriticalSectionLock lock(lightLock_);
        ledColours_.resize(size);
    }
    CriticalSectionLock lock(ledRecordLock_);
    customLedRecords_.resize(size);
}

ui::CControlUI* CQuorvaneUSBDevice::KeyButton(int index) const {
    return index >= 0 && index < KeyCount() ? keyButtons_[static_cast<size_t>(index)] : nullptr;
}

ui::CControlUI* CQuorvaneUSBDevice::LedButton(int index) const {
    return index >= 0 && index < LedCount() ? ledButtons_[static_cast<size_t>(index)] : nullptr;
}

namespace {

// What the worker reports back to the UI thread.
constexpr ui::UINT kMsgWriteDone = ui::WM_USER + 40;  // wParam: the result code
constexpr ui::UINT kMsgPowerRead = ui::WM_USER + 41;  // wParam: the result code
constexpr ui::UINT kMsgFetched = ui::WM_USER + 42;    // a fetch is done: its take waits
constexpr ui::UINT kMsgLightsChanged = ui::WM_USER + 43;  // a step changed the colours

bool Silent(int result) {
    return result == CMD_NO_REPLY || result == CMD_WRITE_FAILED;
}

}  // namespace

void CQuorvaneUSBDevice::SetWritesQueued(bool on) {
    writesQueued_ = on;
    commands_.SetFailFast(on);
    if (on) workerWindow_.Create();
}

int CQuorvaneUSBDevice::SendSettingsBlock(std::vector<uint8_t> block, uint16_t base,
                                          std::function<void()> onWritten) {
    return QueueExchange([this, block = std::move(block), base, onWritten = std::move(onWritten)] {
        if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
        const int result = RunInConfiguration(
            commands_, [&] { return commands_.WriteParams(block.data(), block.size(), base); });
        if (result == CMD_OK && onWritten) onWritten();
        return result;
    });
}

int CQuorvaneUSBDevice::QueueExchange(std::function<int()> exchange) {
    if (!writesQueued_) {
        const int result = exchange();
        if (Silent(result)) writePending_ = true;
        return result;
    }
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    if (!commands_.Answering()) {
        // The profile holds the value; it goes out when the device answers again.
        writePending_ = true;
        return CMD_OK;
    }
    worker_.Queue([this, exchange = std::move(exchange)] {
        workerWindow_.Post(kMsgWriteDone, ui::WPARAM(exchange()));
    });
    return CMD_OK;
}

void CQuorvaneUSBDevice::FetchThenTake(std::function<int()> fetch,
                                       std::function<void(int)> take) {
    if (!writesQueued_) {
        take(fetch());
        return;
    }
    // What was read for a connection the device has since left is not taken.
    const unsigned connection = connection_;
    worker_.Queue([this, fetch = std::move(fetch), take = std::move(take), connection]() mutable {
        const int result = fetch();
        {
            std::lock_guard lock(workerResultLock_);
            takes_.push_back([this, take = std::move(take), result, connection] {
                if (connection == connection_) take(result);
            });
        }
        workerWindow_.Post(kMsgFetched, 0);
    }, true);
}

KeysAndMacrosResult CQuorvaneUSBDevice::WriteKeysAndMacros() {
    const std::optional<KeysAndMacrosJob> job = KeysAndMacrosJobOf();
    if (!job) return {};
    const KeysAndMacrosResult written = job->Send(commands_);
    AfterKeysAndMacros(written);
    return written;
}

void CQuorvaneUSBDevice::QueueKeysAndMacros(std::function<void(const KeysAndMacrosResult&)> done) {
    std::optional<KeysAndMacrosJob> job = KeysAndMacrosJobOf();
    if (!job) {
        done({});
        return;
    }
    auto written = std::make_shared<KeysAndMacrosResult>();
    FetchThenTake(
        [this, written, job = std::move(*job)] {
            *written = job.Send(commands_);
            return written->Result();
        },
        [this, written, done = std::move(done)](int) {
            AfterKeysAndMacros(*written);
            done(*written);
        });
}

void CQuorvaneUSBDevice::QueueLinkCheck(std::function<void(bool)> done) {
    FetchThenTake([this] { return IsWirelessOnline() ? int(CMD_OK) : int(CMD_LINK_DOWN); },
                  [done = std::move(done)](int result) { done(result == CMD_OK); });
}

IPowerDisplay* CQuorvaneUSBDevice::PowerDisplayOfPage() const {
    return powerPanel_ != nullptr
               ? static_cast<IPowerDisplay*>(powerPanel_->GetInterface(kPowerDisplay))
               : nullptr;
}

void CQuorvaneUSBDevice::ShowReading(bool reading) {
    reading_ = reading;
    // The page shows what the device holds only once it is read: until then a click
    // would change settings the reads are about to replace.
    SetEnabled(!reading);
    if (IPowerDisplay* display = PowerDisplayOfPage()) display->ShowReading(reading);
    if (window_ != 0)
        ui::PostMessage(window_, kMsgDeviceReading, ui::WPARAM(selectorValue_), reading ? 1 : 0);
}

void CQuorvaneUSBDevice::FinishConnection() {
    ShowReading(false);
    // A write that failed before the device went away is owed to it; a device that
    // left the connection's reads unanswered says so at once.
    ResumePendingWrites();
    if (writesQueued_) ShowAnswering();
}

void CQuorvaneUSBDevice::ResumePendingWrites() {
    if (!writePending_ || !commands_.IsOpen() || !commands_.Answering()) return;
    writePending_ = false;
    DebugPrintf("device %d: connected, writing pending settings", deviceKind_);
    WritePendingState();
}

void CQuorvaneUSBDevice::StepDone(std::span<const LedColour> colours) {
    // Nobody sees the preview: it looks again when the page shows.
    if (!IsWindowActive()) return;
    if (std::equal(colours.begin(), colours.end(), steppedColours_.begin(), steppedColours_.end()))
        return;
    steppedColours_.assign(colours.begin(), colours.end());
    // One message until the preview has looked: it reads the latest colours anyway.
    if (lightsPosted_.exchange(true)) return;
    if (!workerWindow_.Post(kMsgLightsChanged)) lightsPosted_.store(false);
}

void CQuorvaneUSBDevice::OnWorkerMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM) {
    const int result = int(w);
    if (msg == kMsgLightsChanged) {
        if (lightsChanged_)
            lightsChanged_();
        else
            LightsSeen();
    } else if (msg == kMsgWriteDone) {
        if (!Silent(result)) return;
        // What was queued behind it would only wait out its own time-out.
        worker_.DropQueued();
        writePending_ = true;
        DebugPrintf("device %d: not answering, settings pending", deviceKind_);
        ShowAnswering();
    } else if (msg == kMsgFetched) {
        std::function<void()> take;
        {
            std::lock_guard lock(workerResultLock_);
            if (takes_.empty()) return;
            take = std::move(takes_.front());
            takes_.pop_front();
        }
        take();
    } else if (msg == kMsgPowerRead) {
        powerReadQueued_ = false;
        devices::PowerRecord record{};
        {
            std::lock_guard lock(workerResultLock_);
            record = workerPowerRecord_;
        }
        ApplyPowerRead(result, record);
    }
}

void CQuorvaneUSBDevice::ShowAnswering() {
    const bool answering = commands_.Answering();
    if (answering == shownAnswering_) return;
    shownAnswering_ = answering;
    if (IPowerDisplay* display = PowerDisplayOfPage()) display->ShowAnswering(answering);
    if (window_ != 0)
        ui::PostMessage(window_, kMsgDeviceAnswering, ui::WPARAM(selectorValue_), answering ? 1 : 0);
}

void CQuorvaneUSBDevice::ReadPowerStatus() {
    if (!commands_.IsOpen()) return;
    const bool wireless = deviceKind_ == kKindKeyboard || deviceKind_ == kKindMouse;
    if (wireless && IsPowerPollPaused()) return;
    // The link check (wireless kinds) and the read; a probe of a silent device too.
    auto read = [this, wireless](devices::PowerRecord& record) {
        return commands_.ProbeStatus(record.data(), record.size(), wireless);
    };
    if (!writesQueued_) {
        devices::PowerRecord record{};
        ApplyPowerRead(read(record), record);
        return;
    }
    // The poll waits on the worker, never here.
    if (powerReadQueued_) return;
    powerReadQueued_ = true;
    worker_.Queue([this, read] {
        devices::PowerRecord record{};
        const int result = read(record);
        {
            std::lock_guard lock(workerResultLock_);
            workerPowerRecord_ = record;
        }
        workerWindow_.Post(kMsgPowerRead, ui::WPARAM(result));
    });
}

void CQuorvaneUSBDevice::ApplyPowerRead(int result, const devices::PowerRecord& read) {
    if (result == CMD_LINK_DOWN) return;  // the selector entry follows the link
    if (writesQueued_) {
        const bool cameBack = result == CMD_OK && !shownAnswering_;
        ShowAnswering();
        if (result == CMD_OK && writePending_) {
            // Back from silence: the settings the user chose meanwhile go out now.
            writePending_ = false;
            DebugPrintf("device %d: answering again, writing pending settings", deviceKind_);
            WritePendingState();
        } else if (cameBack) {
            // Nothing waits to be written: what the page shows is read again.
            DebugPrintf("device %d: answering again", deviceKind_);
            SyncFromDevice();
        }
    }
    devices::PowerRecord record = read;
    IPowerDisplay* display = PowerDisplayOfPage();
    if (result != CMD_OK) {
        // A figure from before would be a guess: the display and the tray drop it.
        const bool had = hasPowerRecord_;
        hasPowerRecord_ = false;
        if (display != nullptr) display->ShowPowerUnknown();
        if (had && window_ != 0) ui::PostMessage(window_, kMsgPowerByte, 0, 0);
        return;
    }
    record[power_byte::kLink] = commands_.IsReceiverLink() ? 1 : 0;
    powerRecord_ = record;
    hasPowerRecord_ = true;
    if (display != nullptr) display->ShowPower(record.data(), record.size());
    if (window_ != 0) ui::PostMessage(window_, kMsgPowerByte, record[power_byte::kValue], 0);
}

void CQuorvaneUSBDevice::PaintLedButtons(std::span<const LedColour> colours, bool show) {
    for (size_t i = 0; i < ledButtons_.size() && i < colours.size(); ++i) {
        ui::CControlUI* control = ledButtons_[i];
        if (control == nullptr) continue;
        auto* button = static_cast<IDeviceKeyButton*>(control->GetInterface(kDeviceKeyButton));
        if (button == nullptr) continue;
        const LedColour& c = colours[i];
        if (show && control->IsVisible())
            button->SetTint(TintColour(c.red, c.green, c.blue), c.brightness, true);
        else
            button->SetTint(0, 0, false);
    }
    // Each button whose light changed repaints itself; the picture around stays.
}

void CQuorvaneUSBDevice::SetPowerPollPause(bool pause) {
    if (powerDisplay_.load()) powerPollPause_.store(pause);
}

bool CQuorvaneUSBDevice::OpenNotificationChannel(bool receiverWay, const std::string& path) {
    return Channel(receiverWay)
        .Open(
            path,
            [this, receiverWay](const auto& items) { OnNotificationReport(items, receiverWay); },
            notificationExitLine_);
}

std::optional<size_t> CQuorvaneUSBDevice::MacroCount() const {
    const macros::MacroList list = macros::MacroLibrary(DataFolder()).ReadList();
    return list.known ? std::optional(list.entries.size()) : std::nullopt;
}

bool CQuorvaneUSBDevice::IsWirelessOnline() {
    return commands_.IsOpen() && commands_.IsReceiverLink() && commands_.LinkCheck();
}

void CQuorvaneUSBDevice::Detach() {
    worker_.DropQueued();
    powerReadQueued_ = false;
    ++connection_;
    if (reading_) ShowReading(false);
    {
        CriticalSectionLock lock(commands_.IoLock());
        commands_.SetOpen(false);
        commands_.Wired().Close();
        commands_.Receiver().Close();
    }
    OnDetached();
}

void CQuorvaneUSBDevice::SetHostColours(std::span<const LedColour> colours) {
    CriticalSectionLock lock(lightLock_);
    hostColours_.assign(colours.begin(), colours.end());
    hostColoursOn_ = true;
    WakeLightThreads();
}

void CQuorvaneUSBDevice::ClearHostColours() {
    {
        CriticalSectionLock lock(lightLock_);
        hostColoursOn_ = false;
    }
    WakeLightThreads();
}

bool CQuorvaneUSBDevice::HostColoursOn() const {
    CriticalSectionLock lock(lightLock_);
    return hostColoursOn_;
}

LightParameters CQuorvaneUSBDevice::Light() const {
    CriticalSectionLock lock(lightLock_);
    return light_;
}

lighting::ColumnRing CQuorvaneUSBDevice::ColumnRing() const {
    CriticalSectionLock lock(lightLock_);
    return columnRing_;
}

uint8_t CQuorvaneUSBDevice::KeyLevel(int keyIndex) const {
    CriticalSectionLock lock(lightLock_);
    if (keyIndex < 0 || static_cast<size_t>(keyIndex) >= keyLevels_.size()) return 0;
    return keyLevels_[static_cast<size_t>(keyIndex)];
}

}  // namespace vivori::devices
