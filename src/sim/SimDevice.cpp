#include "sim/SimDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "sim/FamilyDescriptors.h"

namespace vivori::sim {

SimDevice::SimDevice(uint16_t vendorId, uint16_t productId, std::vector<uint8_t> descriptor,
                     int interfaceNumber, bool isReceiver)
    : VirtualHidDevice(vendorId, productId),
      interfaceNumber_(interfaceNumber),
      isReceiver_(isReceiver) {
    AddInterface(interfaceNumber, std::move(descriptor));
}

SimDevice::~SimDevice() {
    std::vector<std::thread> later;
    {
        std::lock_guard lock(laterMutex_);
        stopping_ = true;  // a reply still waiting is never sent: the device is gone
        later.swap(later_);
    }
    laterWake_.notify_all();
    for (auto& t : later) t.join();
}

std::vector<Frame> SimDevice::ReceivedFrames() const {
    std::lock_guard lock(modelMutex_);
    return frames_;
}

size_t SimDevice::ReceivedCount() const {
    std::lock_guard lock(modelMutex_);
    return frames_.size();
}

std::vector<std::vector<uint8_t>> SimDevice::OutputReports() const {
    std::lock_guard lock(modelMutex_);
    return outputReports_;
}

void SimDevice::ClearOutputReports() {
    std::lock_guard lock(modelMutex_);
    outputReports_.clear();
}

void SimDevice::ClearFrames() {
    std::lock_guard lock(modelMutex_);
    frames_.clear();
}

void SimDevice::InjectFault(const FaultRule& rule) {
    std::lock_guard lock(modelMutex_);
    faults_.push_back(rule);
    faultSeen_.push_back(0);
}

void SimDevice::ClearFaults() {
    std::lock_guard lock(modelMutex_);
    faults_.clear();
    faultSeen_.clear();
}

bool SimDevice::TakeFault(const Frame& request, FaultRule& out) {
    const uint8_t command = request[3];
    const bool laterPage = request[5] != 0 || request[6] != 0;
    for (size_t i = 0; i < faults_.size(); ++i) {
        FaultRule& r = faults_[i];
        if (r.command != 0 && r.command != command) continue;
        if (r.laterPagesOnly && !laterPage) continue;
        if (r.times == 0) continue;
        if (faultSeen_[i]++ < r.skip) continue;
        out = r;
        if (r.times > 0) --r.times;
        return true;
    }
    return false;
}

uint8_t SimDevice::HandleCommand(const Frame&, Frame&) {
    return 0;
}

void SimDevice::OnOutputReport(int interfaceNumber, std::span<const uint8_t> report) {
    if (interfaceNumber != interfaceNumber_ || report.empty()) return;
    if (report[0] != kCommandReportId) {
        // Any other output report (the headset's LED reports) is kept as it came.
        std::lock_guard lock(modelMutex_);
        if (recording_) outputReports_.emplace_back(report.begin(), report.end());
        return;
    }
    Frame request{};
    std::memcpy(request.data(), report.data(), std::min(report.size(), request.size()));
    SendLateReplies();

    uint32_t sum = 0;
    for (size_t i = 3; i < request.size(); ++i) sum += request[i];
    if (request[1] != static_cast<uint8_t>(sum) || request[2] != static_cast<uint8_t>(sum >> 8))
        ++badChecksums_;

    Frame reply = request;
    reply[7] = 0;
    FaultRule fault;
    bool faulted;
    {
        std::lock_guard lock(modelMutex_);
        if (recording_) frames_.push_back(request);
        faulted = TakeFault(request, fault);
        const bool away = away_ || (faulted && fault.kind == FaultRule::Away);
        if (isReceiver_ && away) {
            // The receiver answers for its absent device.
            reply[3] = 0xAA;
            reply[8] = 0x00;
        } else if (isReceiver_ && request[3] == 0xAA) {
            reply[8] = 0xFF;
        } else if (!faulted || fault.kind == FaultRule::StrayReply ||
                   fault.kind == FaultRule::Delay || fault.kind == FaultRule::Away ||
                   fault.kind == FaultRule::Late) {
            // A frame the firmware refuses, loses or never sees changes nothing.
            reply[7] = HandleCommand(request, reply);
        }
    }
    if (faulted) {
        switch (fault.kind) {
            case FaultRule::StatusFF:
                reply[7] = 0xFF;
                break;
            case FaultRule::StatusFE:
                reply[7] = 0xFE;
                break;
            case FaultRule::NoReply:
                return;
            case FaultRule::Unplug:
                if (auto bus = bus_.lock()) bus->Unplug(shared_from_this());
                return;
            case FaultRule::StrayReply: {
                Frame stray = reply;
                stray[3] = static_cast<uint8_t>(request[3] ^ 0x40);
                SendCommandReport(stray);
                break;
            }
            case FaultRule::Delay:
                DeliverLater(reply, fault.delayMs);
                return;
            case FaultRule::Late: {
                std::lock_guard lock(laterMutex_);
                heldBack_.push_back(reply);
                return;
            }
            case FaultRule::Away:
                break;
        }
    }
    SendCommandReport(reply);
}

void SimDevice::SendCommandReport(const Frame& frame) {
    SendInputReport(interfaceNumber_, frame);
}

void SimDevice::SendLateReplies() {
    std::vector<Frame> held;
    {
        std::lock_guard lock(laterMutex_);
        held.swap(heldBack_);
    }
    for (const Frame& frame : held) SendCommandReport(frame);
}

void SimDevice::SendNotification(uint16_t code) {
    const uint8_t report[3] = {kNotifyReportId, static_cast<uint8_t>(code),
                               static_cast<uint8_t>(code >> 8)};
    SendInputReport(interfaceNumber_, report);
}

void SimDevice::DeliverLater(Frame reply, int delayMs) {
    std::lock_guard lock(laterMutex_);
    later_.emplace_back([this, reply, delayMs] {
        std::unique_lock wait(laterMutex_);
        if (laterWake_.wait_for(wait, std::chrono::milliseconds(delayMs),
                                [this] { return stopping_; }))
            return;
        wait.unlock();
        SendCommandReport(reply);
    });
}

void PlugInto(const std::shared_ptr<hid::VirtualHidBus>& bus,
              const std::shared_ptr<SimDevice>& device) {
    device->SetBus(bus);
    bus->Plug(device);
}

}  // namespace vivori::sim
