#include "devices/CVendorBlockDevice.h"

#include <algorithm>

#include "devices/ConfigSequence.h"
#include "devices/DeviceMessages.h"
#include "devices/ProfileBinding.h"
#include "devices/ProfileLighting.h"
#include "lighting/LightPacer.h"
#include "panels/CLightControlUI.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "profiles/ProfileSelection.h"
#include "ui/message/Messages.h"

namespace vivori::devices {
namespace {

// Posted to the device's own window by the notification reader.
constexpr ui::UINT kMsgNotificationCode = ui::WM_USER + 1;
constexpr ui::UINT kMsgLedsChanged = ui::WM_USER + 2;
constexpr int kClosedWaitMs = 100;
constexpr int kMaxSpeed = 4;

uint8_t WireSpeed(uint8_t speed) {
    return static_cast<uint8_t>(kMaxSpeed - std::min<int>(speed, kMaxSpeed));
}

}  // namespace

VendorBlock EncodeVendorBlock(const VendorBlock& image, const std::vector<int>& modeMap) {
    VendorBlock wire = image;
    int index = image[vendor_byte::kMode];
    if (index >= kVendorModeLimit || static_cast<size_t>(index) >= modeMap.size()) index = 0;
    if (!modeMap.empty()) wire[vendor_byte::kMode] = static_cast<uint8_t>(modeMap[size_t(index)]);
    wire[vendor_byte::kSpeed] = WireSpeed(image[vendor_byte::kSpeed]);
    return wire;
}

VendorBlock DecodeVendorBlock(const VendorBlock& wire, const std::vector<int>& modeMap) {
    VendorBlock image = wire;
    const auto found = std::find(modeMap.begin(), modeMap.end(), int(wire[vendor_byte::kMode]));
    if (found != modeMap.end())
        image[vendor_byte::kMode] = static_cast<uint8_t>(found - modeMap.begin());
    image[vendor_byte::kSpeed] = WireSpeed(wire[vendor_byte::kSpeed]);
    return image;
}

CVendorBlockDevice::CVendorBlockDevice(std::shared_ptr<hid::HidBus> bus,
                                       lighting::PreviewWave wave,
                                       std::vector<std::pair<int, int>> groups)
    : CQuorvaneUSBDevice(std::move(bus)), preview_(wave, std::move(groups)) {
    tellsLightChanges_ = true;
}

CVendorBlockDevice::~CVendorBlockDevice() {
    StopWorker();
    CloseNotificationChannel(false);
    StopPreview();
    postWindow_.Destroy();
}

// ---- the block ----

VendorBlock CVendorBlockDevice::Image() const {
    CriticalSectionLock lock(lightLock_);
    return image_;
}

const std::vector<int>& CVendorBlockDevice::ModeMap() {
    if (!nameListsLoaded_) LoadNameLists();
    return nameLists_.modeMap;
}

int CVendorBlockDevice::ReadBlock(VendorBlock& wire, int& profileIndex) {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    uint8_t profile = 0;
    if (int r = commands_.ReadParams(&profile, 1, 0); r != CMD_OK) return r;
    std::array<uint8_t, kVendorReadLength> read{};
    if (int r = commands_.ReadParams(read.data(), read.size(),
                                     static_cast<uint16_t>(profile * kVendorReadStride));
        r != CMD_OK)
        return r;
    std::copy_n(read.begin(), wire.size(), wire.begin());
    wire[vendor_byte::kProfile] = profile;
    profileIndex = profile;
    return CMD_OK;
}

int CVendorBlockDevice::ReadCurrentSettings(int& profileIndex) {
    commands_.SetSyncLighting(false);
    VendorBlock wire{};
    int profile = 0;
    // A failed read keeps the image: half a block is no settings at all.
    if (int r = ReadBlock(wire, profile); r != CMD_OK) return r;
    TakeBlock(wire);
    profileIndex = profile;
    return CMD_OK;
}

void CVendorBlockDevice::TakeBlock(const VendorBlock& wire) {
    const VendorBlock image = DecodeVendorBlock(wire, ModeMap());
    CriticalSectionLock lock(lightLock_);
    image_ = image;
    imageRead_ = true;
    light_.mode = image[vendor_byte::kMode];
    light_.brightness = image[vendor_byte::kBrightness];
    light_.speed = image[vendor_byte::kSpeed];
    light_.direction = image[vendor_byte::kDirection];
    light_.colourful = image[vendor_byte::kColourful];
    light_.red = image[vendor_byte::kRed];
    light_.green = image[vendor_byte::kGreen];
    light_.blue = image[vendor_byte::kBlue];
}

int CVendorBlockDevice::FetchInfo(std::array<uint8_t, kInfoSize>& info) {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    return RunInConfiguration(commands_, [&] { return commands_.ReadInfo(info.data()); });
}

int CVendorBlockDevice::WriteSettings(int profile) {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    // Bytes the host does not own go back as the device holds them: a block never read
    // is read first, so a write never clears them.
    if (!imageRead_) {
        VendorBlock wire{};
        int index = 0;
        if (int r = ReadBlock(wire, index); r != CMD_OK) return r;
        const VendorBlock image = DecodeVendorBlock(wire, ModeMap());
        CriticalSectionLock lock(lightLock_);
        image_[vendor_byte::kProfile] = image[vendor_byte::kProfile];
        image_[vendor_byte::kDirection] = image[vendor_byte::kDirection];
        std::copy(image.begin() + vendor_byte::kBlue + 1, image.end(),
                  image_.begin() + vendor_byte::kBlue + 1);
        imageRead_ = true;
    }
    const VendorBlock wire = EncodeVendorBlock(Image(), ModeMap());
    return SendSettingsBlock({wire.begin(), wire.end()},
                             static_cast<uint16_t>(std::clamp(profile, 0, 255) * kVendorWriteStride));
}

int CVendorBlockDevice::WriteTemporaryLight(const LightParameters& light) {
    {
        CriticalSectionLock lock(lightLock_);
        light_ = light;
        preview_.Reset();
    }
    SetImageFromLight();
    return WriteSettings(0);
}

void CVendorBlockDevice::SetImageFromLight() {
    CriticalSectionLock lock(lightLock_);
    image_[vendor_byte::kMode] = light_.mode;
    image_[vendor_byte::kBrightness] = light_.brightness;
    image_[vendor_byte::kSpeed] = light_.speed;
    image_[vendor_byte::kColourful] = light_.colourful;
    image_[vendor_byte::kRed] = light_.red;
    image_[vendor_byte::kGreen] = light_.green;
    image_[vendor_byte::kBlue] = light_.blue;
}

void CVendorBlockDevice::SetLightParameters(uint32_t modeWord, uint32_t colourWord, uint32_t extra,
                                            uint32_t colourBlock) {
    CQuorvaneUSBDevice::SetLightParameters(modeWord, colourWord, extra, colourBlock);
    SetImageFromLight();
}

// ---- connection and profile ----

void CVendorBlockDevice::OnConnected() {
    if (!commands_.IsOpen()) return;
    struct Read {
        int infoResult = CMD_NO_REPLY;
        std::array<uint8_t, kInfoSize> info{};
        VendorBlock wire{};
    };
    auto read = std::make_shared<Read>();
    ShowReading(true);
    FetchThenTake(
        [this, read, withInfo = ReadsInfoAtConnection()] {
            if (withInfo) read->infoResult = FetchInfo(read->info);
            commands_.SetSyncLighting(false);
            int profile = 0;
            return ReadBlock(read->wire, profile);
        },
        [this, read](int result) {
            if (read->infoResult == CMD_OK) info_ = read->info;
            // The device's own block first: the bytes the profile does not hold come
            // from it. A failed read keeps the image: half a block is no settings at all.
            if (result == CMD_OK) TakeBlock(read->wire);
            LoadProfile();
            OnConnectedReads();
            RefreshPage();
            StartPreview();
            FinishConnection();
        });
}

void CVendorBlockDevice::SyncFromDevice() {
    struct Read {
        VendorBlock wire{};
        int profile = 0;
    };
    auto read = std::make_shared<Read>();
    FetchThenTake(
        [this, read] {
            commands_.SetSyncLighting(false);
            return ReadBlock(read->wire, read->profile);
        },
        [this, read](int result) {
            if (result != CMD_OK) return;
            TakeBlock(read->wire);
            profiles::CBasicProfiledata& data = ProfileData();
            data.SetLightInfo(LightInfoOf(Light(), data.GetLightInfo()));
            SaveProfile();
            {
                CriticalSectionLock lock(lightLock_);
                preview_.Reset();
            }
            RefreshPage();
            if (window_ != 0)
                ui::PostMessage(window_, kMsgDeviceProfile, ui::WPARAM(read->profile), 0);
        });
}

void CVendorBlockDevice::LoadProfile() {
    profiles::CBasicProfiledata& data = ProfileData();
    data.SetDefaultProfilePath(DefaultDataFile());
    data.SetLightConfigPath(folders_.LightConfigFile(dataFolderName_));
    if (auto selected = profiles::ReadSelectedProfile(folders_, dataFolderName_)) {
        data.SetProfilePath(selected->path);
        data.Load(selected->path);
        profileName_ = selected->name;
        profileSelected_ = true;
    } else {
        // Nothing selected yet: the shipped default is shown, and nothing is saved.
        data.Load(DefaultDataFile());
        profileName_.clear();
        profileSelected_ = false;
    }
    ApplyProfileLighting();
    AfterProfileLoaded();
}

void CVendorBlockDevice::ReloadDefaults() {
    profiles::CBasicProfiledata& data = ProfileData();
    const std::filesystem::path selected = data.GetProfilePath();
    data.Load(DefaultDataFile());
    if (profileSelected_) data.SetProfilePath(selected);
    ApplyProfileLighting();
    AfterProfileLoaded();
    SaveProfile();
    RefreshPage();
}

void CVendorBlockDevice::SaveProfile() {
    SaveBoundProfile(ProfileData(), {profileName_, profileSelected_});
}

void CVendorBlockDevice::ApplyProfileLighting() {
    const profiles::LightInfo info = ProfileData().GetLightInfo();
    {
        CriticalSectionLock lock(lightLock_);
        light_ = ParametersOf(info);
        preview_.Reset();
    }
    SetImageFromLight();
    LoadLightProgram();
}

void CVendorBlockDevice::LoadLightProgram() {
    std::vector<lighting::ProgramStep> steps = ProgramStepsOf(ProfileData());
    std::vector<lighting::LedRecord> records = LedRecordsOf(ProfileData());
    {
        CriticalSectionLock lock(lightLock_);
        program_.LoadSteps(std::move(steps));
    }
    CriticalSectionLock lock(ledRecordLock_);
    program_.LoadRecords(std::move(records));
}

void CVendorBlockDevice::LoadNameLists() {
    profiles::LightNameLists lists;
    profiles::LoadDefaultLightNames(folders_.DefaultLightFile(), pageValue_, lists);
    profiles::LoadCustomLightNames(folders_.LightConfigFile(dataFolderName_), pageValue_, lists);
    nameLists_ = std::move(lists);
    nameListsLoaded_ = true;
    ShowModeList(nameLists_);
}

// ---- preview ----

void CVendorBlockDevice::ResetEffectState() {
    CriticalSectionLock lock(lightLock_);
    preview_.Reset();
}

lighting::PreviewSettings CVendorBlockDevice::PreviewSettingsLocked() const {
    return {.modeIndex = image_[vendor_byte::kMode],
            .brightness = light_.brightness,
            .speed = light_.speed,
            .direction = light_.direction,
            .colourful = light_.colourful != 0,
            .colour = {light_.red, light_.green, light_.blue}};
}

int CVendorBlockDevice::PreviewTicksToStep() {
    CriticalSectionLock lock(lightLock_);
    const lighting::PreviewSettings settings = PreviewSettingsLocked();
    // Other programs' colours, the custom program and the LED layer change on any tick.
    if (hostColoursOn_ || lighting::VendorPreview::RunsCustomProgram(settings.modeIndex)) return 1;
    CriticalSectionLock records(ledRecordLock_);
    return program_.HasLedLayer() ? 1 : preview_.TicksToStep(settings);
}

void CVendorBlockDevice::PreviewTick(uint32_t nowMs, int ticks) {
    CriticalSectionLock lock(lightLock_);
    if (hostColoursOn_) {
        std::copy_n(hostColours_.begin(), std::min(hostColours_.size(), ledColours_.size()),
                    ledColours_.begin());
        ++previewSteps_;
        StepDone(ledColours_);
        return;
    }
    const lighting::PreviewSettings settings = PreviewSettingsLocked();
    const std::span<LedColour> colours(previewColours_.data(),
                                       std::min(ledColours_.size(), previewColours_.size()));
    if (lighting::VendorPreview::RunsCustomProgram(settings.modeIndex)) {
        program_.StepProgram(nowMs, settings.speed, previewColours_);
        ++previewSteps_;
    } else if (preview_.Tick(settings, nowMs, colours, ticks)) {
        ++previewSteps_;
    }
    {
        CriticalSectionLock records(ledRecordLock_);
        if (program_.HasLedLayer()) program_.ApplyLedLayer(nowMs, previewColours_);
    }
    std::copy_n(previewColours_.begin(), colours.size(), ledColours_.begin());
    StepDone(ledColours_);
}

void CVendorBlockDevice::PreviewLoop(Event& stop) {
    Event* const events[] = {&stop, &previewWake_};
    // True when the stop event ended the wait; a wake-up only ends it early.
    auto stopped = [&events](int ms) { return WaitForAny(events, ms) == 0; };
    bool pushing = false;
    int ticks = 1;  // light ticks until the next pass
    uint32_t lastPass = GetTickCount();
    // One pass per light tick: the effects count ticks, so waking more often would only
    // burn the core.
    while (!stopped(int(lighting::kLightTickMs) * ticks)) {
        if (!commands_.IsOpen()) {
            if (stopped(kClosedWaitMs)) break;
            continue;
        }
        const bool push = HostSendsLeds();
        // Nobody sees the picture and the device runs its effect itself: nothing to
        // step until the window shows again or the host takes the lights.
        if (!push && !IsWindowActive()) {
            pushing = false;
            if (stopped(kInfinite)) break;
            continue;
        }
        // A wake-up may end a long wait early: count the ticks that passed.
        const uint32_t now = GetTickCount();
        const int passed = std::clamp(
            int((now - lastPass + lighting::kLightTickMs / 2) / lighting::kLightTickMs), 1, ticks);
        lastPass = now;
        if (!commands_.SyncLighting()) PreviewTick(now, passed);
        if (push) PostLedChange(!pushing);
        pushing = push;
        // Only the device shows the colours: between two steps there is nothing to send,
        // so the loop sleeps until the next one.
        ticks = push && !IsWindowActive() && !commands_.SyncLighting() ? PreviewTicksToStep() : 1;
    }
    DebugOutput("MS灯光线程设定退出");
}

// Preview thread: the UI thread hears of each change of the colours the host sends,
// one message however many changes wait; `whole` asks for a whole round.
void CVendorBlockDevice::PostLedChange(bool whole) {
    {
        CriticalSectionLock lock(lightLock_);
        if (!whole && ledColours_ == postedColours_) return;
        postedColours_ = ledColours_;
    }
    if (whole) wholeLedRound_.store(true);
    if (!ledChangePosted_.exchange(true)) postWindow_.Post(kMsgLedsChanged);
}

void CVendorBlockDevice::StartPreview() {
    StopPreview();
    previewThread_.Start([this](Event& stop) { PreviewLoop(stop); });
}

void CVendorBlockDevice::StopPreview() {
    if (previewThread_.Running()) DebugOutput(StopResultLine(previewThread_.Stop(kPreviewStopMs)));
    else previewThread_.Stop(kPreviewStopMs);
}

void CVendorBlockDevice::RefreshLights() {
    if (!commands_.IsOpen() || !IsWindowActive()) return;
    std::vector<LedColour> colours;
    {
        CriticalSectionLock lock(lightLock_);
        colours = ledColours_;
    }
    PaintLedButtons(colours, HostLightControl());
}

// ---- notifications ----

void CVendorBlockDevice::BuildPage() {
    // Reader threads post here: the window must belong to the UI thread.
    postWindow_.Create();
    // The block's direction byte goes back as the device holds it, so a direction
    // chosen here would change nothing.
    if (panels::CLightControlUI* panel = LightPanel()) panel->SetDirectionOffered(false);
    LoadNameLists();
}

void CVendorBlockDevice::OnNotificationReport(const std::vector<HidDataItem>& items,
                                              bool receiverWay) {
    (void)receiverWay;
    DebugOutput("接收到自动添加设备的同步信息要求  TEST");
    const std::optional<uint16_t> code = NotificationButtonCode(items);
    if (code && *code == kCodeSync) postWindow_.Post(kMsgNotificationCode, *code, 0);
}

void CVendorBlockDevice::HandleWindowMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) {
    (void)l;
    if (msg == kMsgNotificationCode && w == kCodeSync) {
        DebugOutput("接收到自动添加设备的同步信息要求");
        ui::SetTimer(postWindow_.Handle(), kSyncTimer, kSyncDelayMs);
    } else if (msg == kMsgLedsChanged) {
        ledChangePosted_.store(false);
        SendChangedLeds(wholeLedRound_.exchange(false));
    } else if (msg == ui::WM_TIMER && w == kSyncTimer) {
        ui::KillTimer(postWindow_.Handle(), kSyncTimer);
        SyncFromDevice();
    }
}

}  // namespace vivori::devices
