#include "devices/CaptureThread.h"

#include "devices/DeviceMessages.h"
#include "platform/Debug.h"
#include "profiles/DataFolders.h"
#include "ui/message/Messages.h"

namespace vivori::devices {

ui::UINT AppInstanceMessage() {
    static const ui::UINT message =
        ui::RegisterWindowMessage(std::string(profiles::kApplicationName));
    return message;
}

CaptureThread::CaptureThread(DeviceList& list, std::shared_ptr<hid::HidBus> bus)
    : list_(list), bus_(bus ? std::move(bus) : hid::DefaultHidBus()) {}

CaptureThread::~CaptureThread() {
    Stop();
}

bool CaptureThread::Start(ui::HWND window) {
    window_ = window;
    return worker_.Start([this](Event& stop) { Run(stop); });
}

StopResult CaptureThread::Stop() {
    StopResult result = worker_.Stop(kStopTimeoutMs);
    if (result != StopResult::NotRunning) DebugOutput(StopResultLine(result));
    return result;
}

void CaptureThread::Run(Event& stop) {
    HidConnection scanner(bus_);
    bool announced = false;
    Event* const events[] = {&stop};
    const int changes[] = {bus_ ? bus_->ChangeFd() : -1};
    // One wait per cycle serves as the stop check and the pause between cycles.
    while (!stop.IsSet()) {
        // Emptied before the look, so a change during it ends the next wait at once.
        if (changes[0] >= 0) bus_->DrainChanges();
        bool settled = true;
        // A failed enumeration costs one cycle, not the thread: hot-plug and the
        // removal probe go on, and the next cycle tries again.
        if (list_.AnyAbsent()) {
            bool unclaimed = false;
            if (!Scan(scanner, stop, unclaimed)) {
                DebugOutput("HID enumeration failed");
                settled = false;
            }
            if (unclaimed) settled = false;
        }
        // The window shows after the first cycle even when the bus could not be listed.
        if (!announced) {
            ui::PostMessage(window_, AppInstanceMessage(), 0, 0);
            announced = true;
        }
        Probe(stop);
        if (changes[0] >= 0 && settled)
            WaitForAny(events, kQuietPollMs, changes);
        else
            stop.Wait(kPollMs);
    }
    DebugOutput("抓取设备线程设定退出");
}

bool CaptureThread::Scan(HidConnection& scanner, Event& stop, bool& unclaimed) {
    if (!scanner.EnumeratePaths()) return false;
    while (const std::string* next = scanner.NextPath()) {
        if (stop.IsSet()) break;
        const std::string path = *next;
        DeviceDescriptor candidate;
        candidate.vid = ParseVid(path);
        candidate.pid = ParsePid(path);
        candidate.interfaceNumber = ParseInterface(path);
        candidate.collection = ParseCollection(path);
        // The list holds one entry per table row, so an absent entry with these four
        // values is the only path worth opening.
        if (!list_.HasAbsent(candidate.vid, candidate.pid, candidate.interfaceNumber,
                             candidate.collection))
            continue;
        if (!scanner.OpenPath(path, true, false, true, false)) {
            unclaimed = true;  // not ready yet (permissions come a moment later)
            continue;
        }
        const hid::HidAttributes attributes = scanner.Attributes();
        const hid::HidCaps caps = scanner.Caps();
        scanner.Close();
        candidate.vid = attributes.vendorId;
        candidate.pid = attributes.productId;
        candidate.usagePage = caps.usagePage;
        candidate.usage = caps.usage;
        // Claim matches the entry on all six values: no table search needed first.
        const int index = list_.Claim(candidate, path);
        if (index >= 0)
            ui::SendMessage(window_, kMsgDeviceArrived, static_cast<ui::WPARAM>(index), 0);
    }
    scanner.ClearPaths();
    return true;
}

void CaptureThread::Probe(Event& stop) {
    for (const auto& [index, path] : list_.PresentPaths()) {
        if (stop.IsSet()) return;
        if (bus_ && bus_->Probe(path)) continue;
        list_.Release(index);
        ui::SendMessage(window_, kMsgDeviceRemoved, static_cast<ui::WPARAM>(index), 0);
    }
}

}  // namespace vivori::devices
