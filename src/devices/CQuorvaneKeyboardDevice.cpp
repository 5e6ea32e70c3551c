#include "devices/CQuorvaneKeyboardDevice.h"

#include <algorithm>

#include "devices/ConfigSequence.h"
#include "devices/DeviceMessages.h"
#include "devices/DeviceUploads.h"
#include "devices/KeyColourBlock.h"
#include "devices/KeyTablePlan.h"
#include "devices/KnownKeyLocations.h"
#include "devices/ProfileBinding.h"
#include "devices/ProfileLighting.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "panels/CLightControlUI.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "ui/message/Messages.h"

namespace vivori::devices {
namespace {

// A failed per-key colour write gives the keyboard this long before the next.
constexpr int kColourRetryPauseMs = 200;

}  // namespace

CQuorvaneKeyboardDevice::CQuorvaneKeyboardDevice(std::shared_ptr<hid::HidBus> bus)
    : CQuorvaneUSBDevice(std::move(bus)) {
    deviceKind_ = kKindKeyboard;
    tellsLightChanges_ = true;
    notificationExitLine_ = "MS 设备同步线程设定退出";
    SetDataFolderName(std::string(profiles::kKeyboardFolder));
    SetPageValue(1);  // the keyboard's light table
    SetKeyCount(kLogicalKeyCount);
    SetLedCount(kLogicalKeyCount);
    locations_.slot.fill(kNoSlot);
    locations_.led.fill(kNoSlot);
}

CQuorvaneKeyboardDevice::~CQuorvaneKeyboardDevice() {
    // The readers call into this object: they stop before its members go.
    StopWorker();
    CloseNotificationChannel(false);
    CloseNotificationChannel(true);
    StopLightingThread();
    postWindow_.Destroy();
}

void* CQuorvaneKeyboardDevice::GetInterface(std::string_view name) {
    if (name == "QuorvaneKeyboardDevice") return this;
    return CQuorvaneUSBDevice::GetInterface(name);
}

// ---- reading ----

int CQuorvaneKeyboardDevice::FetchDeviceMaps(ConnectionRead& read) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    return RunInConfiguration(commands_, [&] {
        if (int r = commands_.ReadInfo(read.info.data()); r != CMD_OK) return r;
        // More than 170 slots do not fit the key-map commands: the maps stay unread.
        if (!commands_.SetDataLength(uint32_t(read.info[kInfoKeySlots]) * 3))
            return int(CMD_BAD_BLOCK);
        if (int r = commands_.ReadKeyMap(read.keyMap.data()); r != CMD_OK) return r;
        return commands_.ReadLedMap(read.ledMap.data());
    });
}

int CQuorvaneKeyboardDevice::ReadDevice() {
    auto read = std::make_unique<ConnectionRead>();
    if (int r = FetchDeviceMaps(*read); r != CMD_OK) return r;
    TakeDeviceMaps(*read);
    return CMD_OK;
}

void CQuorvaneKeyboardDevice::TakeDeviceMaps(const ConnectionRead& read) {
    info_ = read.info;
    keyMap_ = read.keyMap;
    ledMap_ = read.ledMap;
    infoRead_ = true;
    const int slots = read.info[kInfoKeySlots];
    // Reassigned keys no longer carry their factory codes: the slots learned before
    // find them, and what this read adds to that is kept for the next.
    const std::filesystem::path knownFile = DataFolder() / kKnownKeyLocationsFile;
    const std::optional<KnownKeyLocations> known = LoadKnownKeyLocations(knownFile);
    const KeyLocations located = LocateKeys(keyMap_, {ledMap_.data(), size_t(slots)}, slots, known);
    const KnownKeyLocations learned = LearnedLocations(located, slots);
    if (!known || known->slotCount != learned.slotCount ||
        known->locations.slot != learned.locations.slot ||
        known->locations.led != learned.locations.led)
        SaveKnownKeyLocations(knownFile, learned);
    SetIdentifiedKeys(located, slots);
}

void CQuorvaneKeyboardDevice::SetIdentifiedKeys(const KeyLocations& locations, int slotCount) {
    CriticalSectionLock lock(lightLock_);
    locations_ = locations;
    slotCount_ = slotCount;
}

int CQuorvaneKeyboardDevice::FetchLightBlock(uint8_t& slot, LightBlock& block) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    if (int r = commands_.ReadParams(&slot, 1, 0); r != CMD_OK) return r;
    if (int r =
            commands_.ReadParams(block.data(), block.size(), uint16_t(slot * kLightBlockStride));
        r != CMD_OK)
        return r;
    block[light_byte::kCleared] = 0;
    return CMD_OK;
}

int CQuorvaneKeyboardDevice::ReadLightBlock() {
    uint8_t slot = 0;
    LightBlock block{};
    if (int r = FetchLightBlock(slot, block); r != CMD_OK) return r;
    TakeLightBlock(slot, block);
    return CMD_OK;
}

void CQuorvaneKeyboardDevice::TakeLightBlock(uint8_t slot, const LightBlock& block) {
    {
        CriticalSectionLock lock(lightLock_);
        lightSlot_ = slot;
        lightBlock_ = block;
    }
    TakeOverDecodedSettings(block);
}

void CQuorvaneKeyboardDevice::KeepPreviousLightBlock() {
    CriticalSectionLock lock(lightLock_);
    previousLightBlock_[0] = lightSlot_;
    std::copy_n(lightBlock_.begin(), previousLightBlock_.size() - 1,
                previousLightBlock_.begin() + 1);
}

void CQuorvaneKeyboardDevice::StoreLightBlockInProfile() {
    profile_.SetLightInfo(LightInfoOf(Light(), profile_.GetLightInfo()));
    profile_.SetSystemStages(system_);
    SaveProfile();
}

int CQuorvaneKeyboardDevice::SyncLightBlock() {
    commands_.SetSyncLighting(false);
    KeepPreviousLightBlock();
    if (int r = ReadLightBlock(); r != CMD_OK) return r;
    // Taking over the block restarted the effect already; mode 19 shows the keyboard's
    // own per-key colours, which are read now.
    const int result = Light().mode == kCustomColourMode ? ReadKeyColours() : CMD_OK;
    StoreLightBlockInProfile();
    return result;
}

void CQuorvaneKeyboardDevice::TakeOverDecodedSettings(const LightBlock& block) {
    const DecodedSettings decoded = DecodeSettingsBlock(block, ModeMap());
    LightParameters p = ParametersOf(decoded.light);
    {
        CriticalSectionLock lock(lightLock_);
        p.mode = decoded.modeIndex.value_or(light_.mode);  // host-driven: keep the page's
        light_ = p;
        UpdateEngineLocked();
    }
    system_.wFlag = decoded.wFlag;
    system_.key6Flag = decoded.sixKeyFlag;
    system_.winFlag = decoded.windowsLock;
    system_.pollingRate = decoded.pollingRate;
}

// ---- writing ----

std::vector<int> CQuorvaneKeyboardDevice::CollectUsedMacros() {
    const std::optional<size_t> count = MacroCount();
    // An unknown macro list numbers nothing.
    if (!count) return {};
    return PlanKeyTable(keys_, locations_, slotCount_, *count).usedMacros;
}

int CQuorvaneKeyboardDevice::WriteKeyTableFromProfile() {
    return WriteKeyTable(0, keys_);
}

int CQuorvaneKeyboardDevice::WriteKeyTable(int block,
                                           const std::vector<profiles::KeyListEntry>& keys) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    // With the macro list unknown, macro keys would lose their macros on the device.
    const std::optional<size_t> count = MacroCount();
    if (!count) return CMD_BAD_BLOCK;
    const KeyTablePlan plan = PlanKeyTable(keys, locations_, slotCount_, *count);
    unplacedKeys_ = plan.unplacedKeys;
    for (int key : unplacedKeys_)
        DebugPrintf("key %d has an assignment but no slot on this keyboard: not written\n", key);
    return SendKeyTable(commands_, keyMap_, slotCount_, plan, block);
}

std::optional<KeysAndMacrosJob> CQuorvaneKeyboardDevice::KeysAndMacrosJobOf() {
    return KeysAndMacrosJob{
        .keys = keys_,
        .locations = locations_,
        .slotCount = slotCount_,
        .keyMap = {keyMap_.begin(), keyMap_.end()},
        .macroCapacity =
            infoRead_ ? std::optional(size_t(info_[kInfoMacroUnits]) * 128) : std::nullopt,
        .deviceFolder = DataFolder()};
}

void CQuorvaneKeyboardDevice::AfterKeysAndMacros(const KeysAndMacrosResult& written) {
    unplacedKeys_ = written.unplacedKeys;
    for (int key : unplacedKeys_)
        DebugPrintf("key %d has an assignment but no slot on this keyboard: not written\n", key);
}

macros::MacroUploadResult CQuorvaneKeyboardDevice::WriteMacroList(
    const std::vector<int>& macroNumbers) {
    // The memory size is known from the full read: a set too large is refused before
    // a single frame goes out.
    return SendMacros(
        commands_, DataFolder(), macroNumbers,
        infoRead_ ? std::optional(size_t(info_[kInfoMacroUnits]) * 128) : std::nullopt);
}

int CQuorvaneKeyboardDevice::WriteMacros() {
    const macros::MacroUploadResult result = WriteMacroList(CollectUsedMacros());
    return result.eventsTooMany > 0 ? int(CMD_NO_REPLY) : result.result;
}

int CQuorvaneKeyboardDevice::WriteSettings(int slot, int value) {
    return WriteSettingsBlock(slot, value, profile_.GetLightInfo());
}

int CQuorvaneKeyboardDevice::WriteTemporaryLight(const LightParameters& light) {
    {
        CriticalSectionLock lock(lightLock_);
        light_ = light;
        UpdateEngineLocked();  // the on-screen effect follows the new mode at once
    }
    return WriteSettingsBlock(0, 0, LightInfoOf(light, profile_.GetLightInfo()));
}

int CQuorvaneKeyboardDevice::WriteSettingsBlock(int slot, int value,
                                                const profiles::LightInfo& light) {
    if (!commands_.IsOpen()) return CMD_NO_REPLY;
    const LightBlock block = BuildSettingsBlock(CurrentLightBlock(), static_cast<uint8_t>(value),
                                                light, profile_.GetSystemStages(), ModeMap());
    return SendSettingsBlock({block.begin(), block.end()},
                             uint16_t(std::clamp(slot, 0, 255) * kLightBlockStride), [this, block] {
                                 CriticalSectionLock lock(lightLock_);
                                 lightBlock_ = block;
                             });
}

// ---- per-key colours ----

int CQuorvaneKeyboardDevice::FetchKeyColours(KeyColourBuffer& colours, size_t length,
                                             int block) {
    if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
    return commands_.ReadKeyColours(colours.data(), length, block);
}

int CQuorvaneKeyboardDevice::ReadKeyColours() {
    KeyColourBuffer buffer{};
    if (int r = FetchKeyColours(buffer, size_t(slotCount_) * 3,
                                CurrentLightBlock()[light_byte::kColourBlock]);
        r != CMD_OK)
        return r;
    return TakeKeyColours(buffer);
}

int CQuorvaneKeyboardDevice::TakeKeyColours(const KeyColourBuffer& buffer) {
    std::vector<profiles::RgbaColor> stored;
    {
        CriticalSectionLock lock(lightLock_);
        UnpackKeyColours(buffer, locations_, slotCount_, customKeyColours_);
        for (const LedColour& c : customKeyColours_)
            stored.push_back({c.red, c.green, c.blue, c.brightness});
        RestartEngineLocked();  // the effect shows the colours just read
    }
    profile_.SetCustomLightColors(stored, CurrentLightBlock()[light_byte::kColourBlock]);
    SaveProfile();
    return WriteKeyColours();
}

int CQuorvaneKeyboardDevice::WriteKeyColours() {
    if (Light().mode != kCustomColourMode) return CMD_NO_REPLY;
    KeyColourBuffer buffer{};
    size_t length = 0;
    {
        CriticalSectionLock lock(lightLock_);
        buffer = PackKeyColours(customKeyColours_, locations_, slotCount_);
        length = size_t(slotCount_) * 3;
    }
    const int block = CurrentLightBlock()[light_byte::kColourBlock];
    return QueueExchange([this, buffer, length, block] {
        if (int r = DeviceReachable(commands_); r != CMD_OK) return r;
        const int result = commands_.WriteKeyColours(buffer.data(), length, block);
        if (result != CMD_OK) Sleep(kColourRetryPauseMs);
        return result;
    });
}

// ---- power and link ----

bool CQuorvaneKeyboardDevice::IsWirelessOnline() {
    return commands_.IsOpen() && commands_.IsReceiverLink() && commands_.LinkCheck();
}

// ---- connection ----

void CQuorvaneKeyboardDevice::OnConnected() {
    if (!commands_.IsOpen()) return;
    ShowReading(true);
    QueueDeviceRead(true, [this](const ConnectionRead& read) { TakeConnection(read); });
}

void CQuorvaneKeyboardDevice::SyncFromDevice() {
    QueueDeviceRead(false, [this](const ConnectionRead& read) {
        if (reloadProfilePending_) {
            reloadProfilePending_ = false;
            LoadProfile();
        }
        TakeLightRead(read);
        ApplyProfileLighting();
        RefreshPage();
    });
}

void CQuorvaneKeyboardDevice::QueueDeviceRead(bool withMaps,
                                              std::function<void(const ConnectionRead&)> take) {
    auto read = std::make_shared<ConnectionRead>();
    int slots = 0;
    {
        CriticalSectionLock lock(lightLock_);
        slots = slotCount_;
    }
    FetchThenTake(
        [this, read, withMaps, modeMap = ModeMap(), pageMode = int(Light().mode), slots] {
            return FetchDeviceRead(*read, withMaps, modeMap, pageMode, slots);
        },
        [read, take = std::move(take)](int) { take(*read); });
}

int CQuorvaneKeyboardDevice::FetchDeviceRead(ConnectionRead& read, bool withMaps,
                                             const std::vector<int>& modeMap, int pageMode,
                                             int slots) {
    if (withMaps) read.mapsResult = FetchDeviceMaps(read);
    if (read.mapsResult == CMD_OK) slots = read.info[kInfoKeySlots];
    commands_.SetSyncLighting(false);
    read.lightResult = FetchLightBlock(read.slot, read.block);
    if (read.lightResult != CMD_OK) return read.lightResult;
    // Mode 19 shows the keyboard's own per-key colours: they are read as well.
    const DecodedSettings decoded = DecodeSettingsBlock(read.block, modeMap);
    if (decoded.modeIndex.value_or(pageMode) != kCustomColourMode) return CMD_OK;
    read.coloursRead = true;
    read.coloursResult = FetchKeyColours(read.colours, size_t(slots) * 3,
                                         read.block[light_byte::kColourBlock]);
    return read.coloursResult;
}

void CQuorvaneKeyboardDevice::TakeLightRead(const ConnectionRead& read) {
    KeepPreviousLightBlock();
    if (read.lightResult != CMD_OK) return;
    TakeLightBlock(read.slot, read.block);
    if (read.coloursRead && read.coloursResult == CMD_OK) TakeKeyColours(read.colours);
    StoreLightBlockInProfile();
}

void CQuorvaneKeyboardDevice::TakeConnection(const ConnectionRead& read) {
    if (read.mapsResult == CMD_OK) TakeDeviceMaps(read);
    LoadProfile();
    TakeLightRead(read);
    // The profile's LED layer, step program and stored colours come with it.
    ApplyProfileLighting();
    RefreshPage();
    RestartLightingThread();
    FinishConnection();
}

// ---- profile ----

void CQuorvaneKeyboardDevice::LoadProfile() {
    binding_ = LoadSelectedProfile(profile_, folders_, dataFolderName_);
    keys_ = profile_.GetKeyList();
    system_ = profile_.GetSystemStages();
    SetAudioLightWords(AudioWordsOf(profile_.GetAudioLightInfo()));
    // The custom effects' light steps: the effect list names them, and the files
    // are looked for beside the program first.
    profile_.SetLightStepFolders(folders_.LightStepFolders());
    profile_.LoadLightConfig(profile_.GetLightConfigPath());
    profile_.GetLightInfo();  // the selected effect names the step file
    LoadLightProgram();
}

void CQuorvaneKeyboardDevice::SaveProfile() {
    SaveBoundProfile(profile_, binding_);
}

void CQuorvaneKeyboardDevice::SetKeyAssignments(std::vector<profiles::KeyListEntry> keys) {
    keys_ = std::move(keys);
    profile_.SetKeyList(keys_);
}

void CQuorvaneKeyboardDevice::DropDeletedMacros() {
    const macros::MacroList list = macros::MacroLibrary(DataFolder()).ReadList();
    // An unreadable list is unknown, not empty: the keys keep their macros.
    if (!list.known) return;
    if (!macros::DropMissingMacros(keys_, list.entries.size())) return;
    profile_.SetKeyList(keys_);
    SaveProfile();
    RefreshKeyLabels();
}

void CQuorvaneKeyboardDevice::ReloadDefaults() {
    LoadDefaultsInto(profile_, binding_, DefaultDataFile());
    keys_ = profile_.GetKeyList();
    system_ = profile_.GetSystemStages();
    SaveProfile();
    ApplyProfileLighting();
    RefreshPage();
}

void CQuorvaneKeyboardDevice::ApplyProfileLighting() {
    const profiles::LightInfo info = profile_.GetLightInfo();
    const LightParameters p = ParametersOf(info);
    {
        CriticalSectionLock lock(lightLock_);
        light_ = p;
        lightBlock_ = BuildSettingsBlock(lightBlock_, lightBlock_[light_byte::kValue], info,
                                         system_, ModeMap());
    }
    LoadLightProgram();
    const auto colours = profile_.GetCustomLightColors(info.customGroup, kLogicalKeyCount);
    CriticalSectionLock lock(lightLock_);
    for (size_t i = 0; i < colours.size() && i < customKeyColours_.size(); ++i)
        customKeyColours_[i] = {colours[i].red, colours[i].green, colours[i].blue,
                                colours[i].alpha};
    UpdateEngineLocked();
}

void CQuorvaneKeyboardDevice::LoadNameLists() {
    macroNames_.clear();
    for (const auto& entry : macros::MacroLibrary(DataFolder()).List())
        macroNames_.push_back(entry.name);
    // Lists whose file or key is missing keep what they held.
    profiles::LoadDefaultLightNames(folders_.DefaultLightFile(), pageValue_, nameLists_);
    profiles::LoadCustomLightNames(folders_.LightConfigFile(dataFolderName_), pageValue_,
                                   nameLists_);
    nameListsLoaded_ = true;
    ShowModeList(nameLists_);
}

const std::vector<int>& CQuorvaneKeyboardDevice::ModeMap() {
    if (!nameListsLoaded_) LoadNameLists();
    return nameLists_.modeMap;
}

uint8_t CQuorvaneKeyboardDevice::LightSlot() const {
    CriticalSectionLock lock(lightLock_);
    return lightSlot_;
}

LightBlock CQuorvaneKeyboardDevice::CurrentLightBlock() const {
    CriticalSectionLock lock(lightLock_);
    return lightBlock_;
}

void CQuorvaneKeyboardDevice::SetMusicInput(const int* values, int count) {
    if (values == nullptr) return;
    CriticalSectionLock lock(lightLock_);
    engine_.SetMusicInput({values, size_t(std::clamp(count, 0, lighting::kMusicValueCount))});
}

void CQuorvaneKeyboardDevice::SetAudioLightWords(AudioLightWords words) {
    CQuorvaneUSBDevice::SetAudioLightWords(words);
    // The profile keeps them for the next SaveProfile.
    profile_.SetAudioLightInfo(AudioLightInfoOf(words, profile_.GetAudioLightInfo()));
    CriticalSectionLock lock(lightLock_);
    UpdateEngineLocked();
}

void CQuorvaneKeyboardDevice::SetLevelInput(const int* values, int count) {
    if (values == nullptr) return;
    CriticalSectionLock lock(lightLock_);
    engine_.SetLevelInput({values, size_t(std::clamp(count, 0, lighting::kLevelValueCount))});
}

}  // namespace vivori::devices
