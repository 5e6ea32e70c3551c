#include "devices/DeviceManager.h"

#include "devices/DeviceControls.h"
#include "devices/DevicePageTables.h"
#include "platform/Debug.h"
#include "platform/Time.h"
#include "ui/core/CContainerUI.h"

namespace vivori::devices {
namespace {

// The receiver link needs a moment after a switch; it gets this many tries 50 ms apart.
constexpr int kLinkCheckTries = 26;
constexpr int kLinkCheckPauseMs = 50;

bool IsReceiverKind(uint16_t kind) {
    return kind == kKindKeyboardReceiver || kind == kKindMouseReceiver;
}
bool IsCableKind(uint16_t kind) {
    return kind == kKindKeyboard || kind == kKindMouse;
}
bool IsWirelessKind(uint16_t kind) {
    return IsCableKind(kind) || IsReceiverKind(kind);
}
bool IsKeyboardKind(uint16_t kind) {
    return kind == kKindKeyboard || kind == kKindKeyboardReceiver;
}

const char* ArrivalLine(uint16_t kind) {
    if (IsKeyboardKind(kind)) return "添加一个键盘设备";
    if (IsWirelessKind(kind)) return "添加一个鼠标设备";
    return "添加一个鼠标垫设备";
}

const char* RemovalLine(uint16_t kind) {
    if (IsKeyboardKind(kind)) return "删除一个键盘设备";
    if (IsWirelessKind(kind)) return "删除一个鼠标设备";
    return "删除一个鼠标垫设备";
}

const DeviceDescriptor* TableRow(int index) {
    const auto table = SupportedDevices();
    if (index < 0 || static_cast<size_t>(index) >= table.size()) return nullptr;
    return &table[static_cast<size_t>(index)];
}

// The command-collection row of the device with this vid, pid and kind; -1 when none.
int CommandRow(uint16_t vid, uint16_t pid, uint16_t kind) {
    const auto table = SupportedDevices();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].vid == vid && table[i].pid == pid && table[i].kind == kind &&
            table[i].link == kLinkCommand)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

int CableRowOf(int index) {
    const DeviceDescriptor* row = TableRow(index);
    if (row == nullptr) return -1;
    const int result =
        row->link == kLinkNotification ? CommandRow(row->vid, row->pid, row->kind) : index;
    if (result < 0) return -1;
    const DeviceDescriptor* command = TableRow(result);
    if (IsReceiverKind(command->kind)) return command->hasPartner ? command->partner : -1;
    return result;
}

DeviceManager::DeviceManager(DeviceManagerSetup setup)
    : setup_(std::move(setup)), capture_(list_, setup_.bus) {}

DeviceManager::~DeviceManager() {
    StopCapture();
}

bool DeviceManager::StartCapture() {
    return capture_.Start(setup_.window);
}

StopResult DeviceManager::StopCapture() {
    return capture_.Stop();
}

void DeviceManager::CreateStartPages() {
    for (int pageRow = 0; pageRow < 2; ++pageRow) {
        const DevicePageRow& page = DevicePages()[static_cast<size_t>(pageRow)];
        const int row = CommandRow(page.vid, page.pid, page.kind);
        if (row >= 0 && FindDevice(row) == nullptr) CreateDevicePage(pageRow, *TableRow(row));
    }
}

CQuorvaneUSBDevice* DeviceManager::FindDevice(int cableRow) const {
    const DeviceDescriptor* row = TableRow(cableRow);
    if (row == nullptr) return nullptr;
    for (CQuorvaneUSBDevice* device : devices_)
        if (SameDescriptor(device->Descriptor(), *row)) return device;
    return nullptr;
}

CQuorvaneUSBDevice* DeviceManager::DeviceOf(int index) const {
    return FindDevice(CableRowOf(index));
}

ui::CControlUI* DeviceManager::CreateControl(std::string_view name) {
    if (setup_.createControl)
        if (ui::CControlUI* control = setup_.createControl(name)) return control;
    return CreateDeviceControl(name, setup_.bus);
}

CQuorvaneUSBDevice* DeviceManager::CreateDevicePage(int pageRow,
                                                    const DeviceDescriptor& descriptor) {
    const DevicePageRow& page = DevicePages()[static_cast<size_t>(pageRow)];
    const DevicePageLayout& layout = DevicePageLayouts()[static_cast<size_t>(pageRow)];
    ui::CDialogBuilder builder;
    ui::CControlUI* root = builder.Create(
        layout.pageLayoutFile, [this](std::string_view name) { return CreateControl(name); },
        setup_.manager);
    auto* device =
        root ? static_cast<CQuorvaneUSBDevice*>(root->GetInterface("QuorvaneUSBDevice")) : nullptr;
    if (device == nullptr) {
        DebugPrintf("device page %s not built: %s", std::string(layout.pageLayoutFile).c_str(),
                    builder.GetLastError().c_str());
        delete root;
        return nullptr;
    }
    device->SetLayoutName(std::string(layout.pageLayoutFile));
    device->SetWindow(setup_.window);
    device->SetKeyCount(layout.keyCount);
    device->SetLedCount(layout.ledCount);
    device->SetPageRow(pageRow);
    device->SetPowerDisplay(layout.powerDisplay);
    device->SetDataFolderName(std::string(page.deviceName));
    device->SetDescriptor(descriptor);
    device->SetPageValue(page.lightTableIndex);
    device->SetLightConfigName(std::string(layout.lightConfigName));
    device->InitPage();
    if (setup_.host) setup_.host->OnPageCreated(*device, pageRow);

    ui::CContainerUI* tabs = nullptr;
    if (ui::CControlUI* found =
            setup_.manager ? setup_.manager->FindControl("device_switch") : nullptr)
        tabs = static_cast<ui::CContainerUI*>(found->GetInterface("Container"));
    if (tabs == nullptr || !tabs->Add(device)) ownedPages_.emplace_back(device);
    devices_.push_back(device);
    return device;
}

void DeviceManager::DeviceArrived(int index) {
    const std::optional<DeviceDescriptor> entry = list_.Entry(index);
    const int cableRow = CableRowOf(index);
    if (!entry || cableRow < 0) return;
    DebugOutput(ArrivalLine(entry->kind));
    CQuorvaneUSBDevice* device = FindDevice(cableRow);
    if (device == nullptr) {
        const DeviceDescriptor& cable = *TableRow(cableRow);
        const int pageRow = FindDevicePage(cable.vid, cable.pid, cable.kind);
        if (pageRow >= 0) device = CreateDevicePage(pageRow, cable);
    }
    if (device == nullptr) return;
    if (IsWirelessKind(entry->kind))
        AttachWireless(index, *entry, *device);
    else if (entry->link == kLinkNotification)
        device->OpenNotificationChannel(false, entry->path);
    else
        Attach(cableRow, *entry, *device, false);
}

bool DeviceManager::PartnerPresent(int index) const {
    const DeviceDescriptor* row = TableRow(index);
    if (row == nullptr || row->hasPartner == 0) return false;
    const std::optional<DeviceDescriptor> partner = list_.Entry(row->partner);
    const DeviceDescriptor* partnerRow = TableRow(row->partner);
    return partner && partner->present != 0 && !partner->path.empty() &&
           partnerRow->partner == index;
}

void DeviceManager::AttachWireless(int index, const DeviceDescriptor& entry,
                                   CQuorvaneUSBDevice& device) {
    if (entry.link == kLinkNotification) {
        device.OpenNotificationChannel(IsReceiverKind(entry.kind), entry.path);
        return;
    }
    // Reachable both ways: the cable wins; a receiver arriving behind it changes nothing.
    if (PartnerPresent(index)) {
        if (IsCableKind(entry.kind)) SwitchLink(device, index, false);
        return;
    }
    Attach(CableRowOf(index), entry, device, true);
}

void DeviceManager::Attach(int cableRow, const DeviceDescriptor& entry, CQuorvaneUSBDevice& device,
                           bool wireless) {
    const bool throughReceiver = IsReceiverKind(entry.kind);
    CommandTransport& commands = device.Commands();
    if (!commands.IsOpen()) {
        CriticalSectionLock lock(commands.IoLock());
        HidConnection& connection = throughReceiver ? commands.Receiver() : commands.Wired();
        if (connection.OpenPath(entry.path, true, true, true, false)) {
            commands.SetOpen(true);
            // Mouse pads and headsets keep the receiver flag 0 and the first chunk size.
            if (wireless) commands.SetLinkType(throughReceiver ? kLinkReceiver : kLinkWired);
            device.SetDescriptor(*TableRow(cableRow));
        }
    }
    if (setup_.host) setup_.host->OnDeviceAttached(device, throughReceiver);
}

void DeviceManager::SwitchLink(CQuorvaneUSBDevice& device, int cableRow, bool toReceiver) {
    const int targetRow = toReceiver ? TableRow(cableRow)->partner : cableRow;
    const std::optional<DeviceDescriptor> target = list_.Entry(targetRow);
    CommandTransport& commands = device.Commands();
    bool switched = false;
    {
        CriticalSectionLock lock(commands.IoLock());
        commands.SetOpen(false);
        HidConnection& to = toReceiver ? commands.Receiver() : commands.Wired();
        HidConnection& from = toReceiver ? commands.Wired() : commands.Receiver();
        switched =
            target && !target->path.empty() && to.OpenPath(target->path, true, true, true, false);
        if (switched) {
            from.Close();  // the way left behind is gone or unused from now on
            commands.SetLinkType(toReceiver ? kLinkReceiver : kLinkWired);
            commands.SetOpen(true);
        } else if (!toReceiver && from.IsOpen()) {
            commands.SetOpen(true);  // the cable did not open: stay on the receiver
        }
    }
    if (!switched) return;
    if (toReceiver) {
        if (device.PowerDisplay()) {
            for (int attempt = 1; attempt <= kLinkCheckTries; ++attempt) {
                if (commands.LinkCheck()) break;
                Sleep(kLinkCheckPauseMs);
                if (attempt < kLinkCheckTries) DebugOutput("获取2.4G模式失败");
            }
            DebugOutput("获取2");
            device.ReadPowerStatus();
        }
        if (setup_.host) setup_.host->OnLinkSwitched(device, true);
    } else {
        if (setup_.host) setup_.host->OnLinkSwitched(device, false);
        if (device.PowerDisplay()) device.ReadPowerStatus();
    }
}

void DeviceManager::DeviceRemoved(int index) {
    const DeviceDescriptor* row = TableRow(index);
    if (row == nullptr) return;
    DebugOutput(RemovalLine(row->kind));
    const int cableRow = CableRowOf(index);
    CQuorvaneUSBDevice* device = FindDevice(cableRow);
    if (row->link == kLinkNotification) {
        if (device) device->CloseNotificationChannel(IsReceiverKind(row->kind));
        return;
    }
    if (IsWirelessKind(row->kind)) {
        DebugOutput(IsKeyboardKind(row->kind) ? "键盘设备丢失" : "鼠标设备丢失");
        if (PartnerPresent(index)) {
            if (IsCableKind(row->kind) && device) SwitchLink(*device, cableRow, true);
            return;
        }
    }
    if (device == nullptr) return;
    device->Detach();
    if (setup_.host) setup_.host->OnDeviceDetached(*device);
}

}  // namespace vivori::devices
