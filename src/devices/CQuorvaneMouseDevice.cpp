#include "devices/CQuorvaneMouseDevice.h"

#include <algorithm>

#include "devices/ConfigSequence.h"
#include "devices/DeviceUploads.h"
#include "devices/KeyTablePlan.h"
#include "devices/ProfileBinding.h"
#include "devices/ProfileLighting.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "macros/RecoilPatterns.h"
#include "platform/Debug.h"

namespace vivori::devices {

const std::array<CQuorvaneMouseDevice::ButtonFunction, CQuorvaneMouseDevice::kButtonCount>&
CQuorvaneMouseDevice::ButtonFunctions() {
    static const std::array<ButtonFunction, kButtonCount> kFunctions = {{
        {"mouse_key_left", 0x100100},
        {"mouse_key_right", 0x100200},
        {"mouse_key_middle", 0x100400},
        {"mouse_key_forward", 0x101000},
        {"mouse_key_back", 0x100800},
        {"mouse_key_DPI_add", 0x130100},
        {"mouse_key_DPI_sub", 0x130200},
        {"mouse_key_DPI_loop", 0x130300},
        {"keyboard_key_GM", 0xA01B00},
        {"mouse_key_M8_key", 0x169001},
        {"mouse_key_fire_key", 0x147802},
    }};
    return kFunctions;
}

CQuorvaneMouseDevice::CQuorvaneMouseDevice(std::shared_ptr<hid::HidBus> bus)
    : CQuorvaneUSBDevice(std::move(bus)) {
    deviceKind_ = kKindMouse;
    tellsLightChanges_ = true;
    SetDataFolderName(std::string(profiles::kMouseFolder));
    SetKeyCount(kButtonCount);
    SetLedCount(lighting::kMouseLedCount);
    defaultKeyMap_.fill(kNoButtonSlot);
}

CQuorvaneMouseDevice::~CQuorvaneMouseDevice() {
    // The readers and the preview call into this object: they stop before its members go.
    StopWorker();
    CloseNotificationChannel(false);
    CloseNotificationChannel(true);
    StopPreview();
    postWindow_.Destroy();
}

void* CQuorvaneMouseDevice::GetInterface(std::string_view name) {
    if (name == "QuorvaneMouseDevice") return this;
    return CQuorvaneUSBDevice::GetInterface(name);
}

// ---- reading ----

int CQuorvaneMouseDevice::FetchDeviceInfo(InfoBlockRead& read) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    return RunInConfiguration(commands_, [&] {
        if (int r = commands_.ReadInfo(read.info.data()); r != CMD_OK) return r;
        // More than 170 slots do not fit the key-map commands: the map stays unread.
        if (!commands_.SetDataLength(uint32_t(read.info[kInfoKeySlots]) * 3))
            return int(CMD_BAD_BLOCK);
        return commands_.ReadKeyMap(read.keyMap.data());
    });
}

int CQuorvaneMouseDevice::ReadDeviceInfo() {
    InfoBlockRead read;
    if (int r = FetchDeviceInfo(read); r != CMD_OK) return r;
    TakeDeviceInfo(read);
    return CMD_OK;
}

void CQuorvaneMouseDevice::TakeDeviceInfo(const InfoBlockRead& read) {
    info_ = read.info;
    keyMap_ = read.keyMap;
    slotCount_ = read.info[kInfoKeySlots];
    infoRead_ = true;
    FindButtonSlots();
    SetDpiRanges();
}

void CQuorvaneMouseDevice::QueueInfoRead(std::function<void()> andThen) {
    infoReadQueued_ = true;
    auto read = std::make_shared<InfoBlockRead>();
    FetchThenTake([this, read] { return FetchDeviceInfo(*read); },
                  [this, read, andThen = std::move(andThen)](int result) {
                      infoReadQueued_ = false;
                      if (result == CMD_OK) TakeDeviceInfo(*read);
                      andThen();
                  });
}

uint32_t CQuorvaneMouseDevice::SlotCode(int slot) const {
    if (slot < 0 || slot >= slotCount_) return 0;
    const size_t at = size_t(slot) * 3;
    return uint32_t(keyMap_[at]) << 16 | uint32_t(keyMap_[at + 1]) << 8 | keyMap_[at + 2];
}

// Each button function's slot is the first that holds its factory code. A button the
// user reassigned no longer holds it; it keeps the slot of its own position when
// that slot holds no other function's factory code, so it can be written again.
void CQuorvaneMouseDevice::FindButtonSlots() {
    defaultKeyMap_.fill(kNoButtonSlot);
    auto slotOf = [this](uint32_t code) -> int {
        for (int k = 0; k < slotCount_; ++k)
            if (SlotCode(k) == code) return k;
        return -1;
    };
    for (int j = 0; j < kButtonCount; ++j)
        if (int k = slotOf(ButtonFunctions()[size_t(j)].defaultCode); k >= 0)
            defaultKeyMap_[size_t(j)] = static_cast<uint8_t>(k);
    for (int j = 0; j < kButtonCount && j < slotCount_; ++j) {
        if (defaultKeyMap_[size_t(j)] != kNoButtonSlot) continue;
        const bool taken = std::find(defaultKeyMap_.begin(), defaultKeyMap_.end(), uint8_t(j)) !=
                           defaultKeyMap_.end();
        bool factoryCode = false;
        for (const ButtonFunction& f : ButtonFunctions())
            factoryCode = factoryCode || SlotCode(j) == f.defaultCode;
        if (!taken && !factoryCode) defaultKeyMap_[size_t(j)] = static_cast<uint8_t>(j);
    }
}

DpiScale CQuorvaneMouseDevice::Scale() const {
    return ScaleOfInfo(info_);
}

int CQuorvaneMouseDevice::FetchCurrentSettings(MouseBlockImage& block) {
    commands_.SetSyncLighting(false);
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    uint8_t current = 0;
    if (int r = commands_.ReadParams(&current, 1, 0); r != CMD_OK) return r;
    if (int r = commands_.ReadParams(block.data(), block.size(),
                                     uint16_t(current * kMouseProfileStride));
        r != CMD_OK)
        return r;
    block[mouse_byte::kValue] = current;
    block[mouse_byte::kCleared] = 0;
    return CMD_OK;
}

int CQuorvaneMouseDevice::ReadCurrentSettings(int* profileIndex) {
    MouseBlockImage block{};
    if (int r = FetchCurrentSettings(block); r != CMD_OK) return r;
    if (profileIndex != nullptr) *profileIndex = block[mouse_byte::kValue];
    TakeCurrentSettings(block);
    return CMD_OK;
}

void CQuorvaneMouseDevice::TakeCurrentSettings(MouseBlockImage block) {
    const DecodedMouseBlock decoded = DecodeMouseBlock(block, ModeMap());
    block[mouse_byte::kMode] = decoded.light.selectItem;
    block_ = block;
    {
        CriticalSectionLock lock(lightLock_);
        const uint8_t direction = light_.direction;
        light_ = ParametersOf(decoded.light);
        light_.direction = direction;  // the block does not hold it
        ApplyEffectsLocked();
    }
    profiles::LightInfo info = profile_.GetLightInfo();
    const LightParameters p = Light();
    info.selectItem = p.mode;
    info.light = p.brightness;
    info.speed = p.speed;
    info.multiColor = p.colourful;
    info.red = p.red;
    info.green = p.green;
    info.blue = p.blue;
    profile_.SetLightInfo(info);
    profile_.SetActiveDpiStage(decoded.currentStage);
    SaveProfile();
}

// ---- writing ----

KeyLocations CQuorvaneMouseDevice::ButtonLocations() const {
    KeyLocations locations;
    for (int j = 0; j < kButtonCount; ++j)
        if (defaultKeyMap_[size_t(j)] != kNoButtonSlot)
            locations.slot[size_t(j)] = defaultKeyMap_[size_t(j)];
    return locations;
}

std::vector<int> CQuorvaneMouseDevice::CollectUsedMacros() {
    const std::optional<size_t> count = MacroCount();
    // An unknown macro list numbers nothing.
    if (!count) return {};
    return PlanKeyTable(keys_, ButtonLocations(), slotCount_, *count).usedMacros;
}

int CQuorvaneMouseDevice::WriteKeyTable(const std::vector<profiles::KeyListEntry>& keys) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    // With the macro list unknown, macro keys would lose their macros on the device.
    const std::optional<size_t> count = MacroCount();
    if (!count) return CMD_BAD_BLOCK;
    const KeyTablePlan plan = PlanKeyTable(keys, ButtonLocations(), slotCount_, *count);
    return SendKeyTable(commands_, keyMap_, slotCount_, plan);
}

std::optional<KeysAndMacrosJob> CQuorvaneMouseDevice::KeysAndMacrosJobOf() {
    // The mouse sends no image while no button plays a macro.
    return KeysAndMacrosJob{
        .keys = keys_,
        .locations = ButtonLocations(),
        .slotCount = slotCount_,
        .keyMap = {keyMap_.begin(), keyMap_.end()},
        .macroCapacity =
            infoRead_ ? std::optional(size_t(info_[kInfoMacroUnits]) * 128) : std::nullopt,
        .sendEmptyImage = false,
        .deviceFolder = DataFolder()};
}

macros::MacroUploadResult CQuorvaneMouseDevice::WriteMacroList(
    const std::vector<int>& macroNumbers) {
    if (macroNumbers.empty()) {
        macros::MacroUploadResult nothing;
        nothing.result = DeviceReachable(commands_);
        nothing.linkDown = nothing.result == CMD_LINK_DOWN;
        return nothing;
    }
    return SendMacros(
        commands_, DataFolder(), macroNumbers,
        infoRead_ ? std::optional(size_t(info_[kInfoMacroUnits]) * 128) : std::nullopt);
}

int CQuorvaneMouseDevice::WriteMacros() {
    const macros::MacroUploadResult result = WriteMacroList(CollectUsedMacros());
    return result.eventsTooMany > 0 ? int(CMD_NO_REPLY) : result.result;
}

macros::MacroUploadResult CQuorvaneMouseDevice::WriteShootData() {
    return macros::UploadRecoil(commands_,
                                macros::ReadRecoilPatterns(DataFolder(), DefaultDataFolder()));
}

void CQuorvaneMouseDevice::QueueShootData(
    std::function<void(const macros::MacroUploadResult&)> done) {
    auto written = std::make_shared<macros::MacroUploadResult>();
    FetchThenTake(
        [this, written, folder = DataFolder(), defaults = DefaultDataFolder()] {
            *written = macros::UploadRecoil(commands_, macros::ReadRecoilPatterns(folder, defaults));
            return written->result;
        },
        [written, done = std::move(done)](int) { done(*written); });
}

int CQuorvaneMouseDevice::WriteSettings() {
    return WriteSettings(0, 0, 1, screenWidth_, screenHeight_);
}

int CQuorvaneMouseDevice::WriteSettings(int profile, int value, int flag, int screenWidth,
                                        int screenHeight) {
    return WriteSettingsBlock(profile, value, flag, screenWidth, screenHeight,
                              profile_.GetLightInfo());
}

int CQuorvaneMouseDevice::WriteTemporaryLight(const LightParameters& light) {
    {
        CriticalSectionLock lock(lightLock_);
        light_ = light;
        ApplyEffectsLocked();
    }
    return WriteSettingsBlock(0, 0, 1, screenWidth_, screenHeight_,
                              LightInfoOf(light, profile_.GetLightInfo()));
}

int CQuorvaneMouseDevice::WriteSettingsBlock(int profile, int value, int flag, int screenWidth,
                                             int screenHeight, const profiles::LightInfo& light) {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    MouseBlockSource source;
    source.value = static_cast<uint8_t>(value);
    source.flag = static_cast<uint8_t>(flag);
    source.light = light;
    source.stages = stages_;
    source.currentStage = profile_.GetActiveDpiStage();
    source.system = system_;
    source.correction = profile_.GetCorrectInfo();
    source.screenWidth = screenWidth;
    source.screenHeight = screenHeight;
    const MouseSettingsBlock block = BuildMouseSettingsBlock(source, ModeMap());
    return SendSettingsBlock({block.begin(), block.end()},
                             uint16_t(std::clamp(profile, 0, 255) * kMouseProfileStride));
}

void CQuorvaneMouseDevice::SetScreenSize(int width, int height) {
    if (width > 0) screenWidth_ = width;
    if (height > 0) screenHeight_ = height;
}

// ---- connection ----

void CQuorvaneMouseDevice::OnConnected() {
    if (!commands_.IsOpen()) return;
    ShowReading(true);
    QueueInfoRead([this] {
        LoadProfile();
        RefreshPage();
        RestartPreview();
        FinishConnection();
    });
}

void CQuorvaneMouseDevice::SyncFromDevice() {
    struct Read {
        int infoResult = CMD_NO_REPLY;
        InfoBlockRead info;
        MouseBlockImage block{};
    };
    auto read = std::make_shared<Read>();
    FetchThenTake(
        [this, read, withInfo = !infoRead_] {
            if (withInfo) read->infoResult = FetchDeviceInfo(read->info);
            return FetchCurrentSettings(read->block);
        },
        [this, read](int result) {
            if (read->infoResult == CMD_OK) TakeDeviceInfo(read->info);
            if (result == CMD_OK) TakeCurrentSettings(read->block);
            RefreshPage();
        });
}

void CQuorvaneMouseDevice::ReadPowerStatus() {
    CQuorvaneUSBDevice::ReadPowerStatus();
    // A mouse that was asleep at connection is asked for its information block again
    // on each poll, until it answers.
    if (infoRead_ || infoReadQueued_ || IsPowerPollPaused() || !commands_.IsOpen()) return;
    QueueInfoRead([this] {
        if (infoRead_) ShowStages();
    });
}

// ---- profile ----

void CQuorvaneMouseDevice::LoadProfile() {
    binding_ = LoadSelectedProfile(profile_, folders_, dataFolderName_);
    keys_ = profile_.GetKeyList();
    stages_ = profile_.GetDpiStages();
    system_ = profile_.GetSystemStages();
    ApplyProfileLighting();
}

void CQuorvaneMouseDevice::SaveProfile() {
    SaveBoundProfile(profile_, binding_);
}

void CQuorvaneMouseDevice::ReloadDefaults() {
    LoadDefaultsInto(profile_, binding_, DefaultDataFile());
    keys_ = profile_.GetKeyList();
    stages_ = profile_.GetDpiStages();
    system_ = profile_.GetSystemStages();
    ApplyProfileLighting();
    SaveProfile();
    RefreshPage();
}

void CQuorvaneMouseDevice::SetKeyAssignments(std::vector<profiles::KeyListEntry> keys) {
    keys_ = std::move(keys);
    profile_.SetKeyList(keys_);
}

void CQuorvaneMouseDevice::SetDpiStages(std::vector<profiles::DpiStage> stages) {
    stages_ = std::move(stages);
    profile_.SetDpiStages(stages_);
}

void CQuorvaneMouseDevice::SetSystemSettings(uint32_t first, uint32_t second, uint32_t third) {
    system_.mouseSpeed = static_cast<uint16_t>(first >> 16);
    system_.doubleClickTime = static_cast<uint16_t>(first);
    system_.scrollPage = static_cast<uint16_t>(second >> 16);
    system_.pointerPrecision = static_cast<uint16_t>(second);
    system_.reportRate = static_cast<uint16_t>(third >> 16);
    system_.wheelScrollLines = static_cast<uint16_t>(third);
    profile_.SetSystemStages(system_);
}

std::array<uint32_t, 3> CQuorvaneMouseDevice::GetSystemSettings() const {
    return {uint32_t(system_.mouseSpeed) << 16 | system_.doubleClickTime,
            uint32_t(system_.scrollPage) << 16 | system_.pointerPrecision,
            uint32_t(system_.reportRate) << 16 | system_.wheelScrollLines};
}

void CQuorvaneMouseDevice::DropDeletedMacros() {
    LoadNameLists();
    const macros::MacroList list = macros::MacroLibrary(DataFolder()).ReadList();
    // An unreadable list is unknown, not empty: the keys keep their macros.
    if (!list.known) return;
    if (!macros::DropMissingMacros(keys_, list.entries.size())) return;
    profile_.SetKeyList(keys_);
    SaveProfile();
    RefreshButtonSummary();
}

void CQuorvaneMouseDevice::LoadNameLists() {
    macroNames_.clear();
    for (const auto& entry : macros::MacroLibrary(DataFolder()).List())
        macroNames_.push_back(entry.name);
    profiles::LightNameLists lists;
    profiles::LoadDefaultLightNames(folders_.DefaultLightFile(), pageValue_, lists);
    profiles::LoadCustomLightNames(folders_.LightConfigFile(dataFolderName_), pageValue_, lists);
    nameLists_ = std::move(lists);
    nameListsLoaded_ = true;
    ShowModeList(nameLists_);
}

const std::vector<int>& CQuorvaneMouseDevice::ModeMap() {
    if (!nameListsLoaded_) LoadNameLists();
    return nameLists_.modeMap;
}

}  // namespace vivori::devices
