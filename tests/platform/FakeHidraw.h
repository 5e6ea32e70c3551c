#pragma once

// A fake hidraw world for tests: sysfs entries and device nodes in a temp folder.

#include <fcntl.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid/HidrawBus.h"
#include "platform/hid/VirtualHidBus.h"
#include "sim/FamilyDescriptors.h"
#include "sim/SimDevice.h"

namespace vivori::hid::fake {

namespace fs = std::filesystem;

inline std::string UsbUevent(uint16_t vid, uint16_t pid, int bus = 3) {
    char text[128];
    std::snprintf(text, sizeof text, "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=test\n",
                  bus, vid, pid);
    return text;
}

inline void WriteFile(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string Text(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

struct NodeSetup {
    std::string name;
    std::string uevent;  // empty: no uevent file
    std::vector<uint8_t> descriptor;
    std::string interfaceFolder = "1-2:1.1";  // the USB interface above the HID device
    std::string interfaceNumber;              // bInterfaceNumber; empty: none
};

// A sysfs tree and a /dev folder in a temp folder. Opening a node hands out one end
// of a SOCK_SEQPACKET pair, so reports keep their boundaries; the test plays the
// device on the other end.
class FakeHidraw {
  public:
    FakeHidraw() {
        std::signal(SIGPIPE, SIG_IGN);  // writes to a closed peer must fail, not kill
        char pattern[] = "/tmp/hidraw-test-XXXXXX";
        root_ = mkdtemp(pattern) ? pattern : "/nonexistent";
        fs::create_directories(ClassRoot());
        fs::create_directories(DevRoot());
    }
    ~FakeHidraw() {
        for (auto& [node, fds] : devices_)
            for (int fd : fds) close(fd);
        std::error_code error;
        fs::remove_all(root_, error);
    }
    FakeHidraw(const FakeHidraw&) = delete;
    FakeHidraw& operator=(const FakeHidraw&) = delete;

    fs::path ClassRoot() const { return root_ / "class" / "hidraw"; }
    fs::path DevRoot() const { return root_ / "dev"; }

    // As the kernel does, each plug-in gets a HID device of its own (the number after
    // the dot counts up) and a new device node.
    void AddNode(const NodeSetup& node) {
        const fs::path usbDevice = root_ / "devices" / node.name;
        char hidName[32];
        std::snprintf(hidName, sizeof hidName, "0003:320F:5055.%04X", ++plugIns_);
        const fs::path hidDevice = usbDevice / node.interfaceFolder / hidName;
        fs::create_directories(hidDevice);
        WriteFile(usbDevice / "bcdDevice", "0105\n");
        if (!node.interfaceNumber.empty())
            WriteFile(usbDevice / node.interfaceFolder / "bInterfaceNumber", node.interfaceNumber);
        if (!node.uevent.empty()) WriteFile(hidDevice / "uevent", node.uevent);
        WriteFile(hidDevice / "report_descriptor", Text(node.descriptor));
        fs::create_directories(ClassRoot() / node.name);
        fs::remove(ClassRoot() / node.name / "device");
        fs::create_directory_symlink(hidDevice, ClassRoot() / node.name / "device");
        fs::remove(DevRoot() / node.name);
        WriteFile(DevRoot() / node.name, "");
    }

    // The device is pulled out: its node goes, and its open descriptors hang up.
    void RemoveNode(const std::string& name) {
        fs::remove_all(ClassRoot() / name);
        fs::remove(DevRoot() / name);
        DeviceGoesAway(name);
    }

    void AddFamilyNode(const std::string& name) {
        AddNode(
            {name, UsbUevent(0x320F, 0x5055), sim::FamilyInterfaceDescriptor(), "1-2:1.1", "01"});
    }

    HidrawBus::NodeOpener Opener() {
        return [this](const std::string& node, int flags) {
            int pair[2];
            if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return -1;
            if (flags & O_NONBLOCK) fcntl(pair[0], F_SETFL, O_NONBLOCK);
            std::lock_guard lock(mutex_);
            openFlags_ = flags;
            devices_[fs::path(node).filename().string()].push_back(pair[1]);
            return pair[0];
        };
    }
    HidrawBus MakeBus() { return HidrawBus(ClassRoot(), DevRoot(), Opener()); }
    std::shared_ptr<HidrawBus> MakeSharedBus(bool cacheNodes = true) {
        return std::make_shared<HidrawBus>(ClassRoot(), DevRoot(), Opener(), cacheNodes);
    }

    // The device ends of the descriptors open on a node.
    std::vector<int> DeviceEnds(const std::string& name) {
        std::lock_guard lock(mutex_);
        return devices_[name];
    }

    // The device sends an input report; the kernel gives every reader its copy. With
    // wait false a reader whose queue is full loses it, as with the kernel.
    void DeviceSends(const std::string& name, std::vector<uint8_t> report, bool wait = true) {
        for (int fd : DeviceEnds(name))
            send(fd, report.data(), report.size(), wait ? 0 : MSG_DONTWAIT);
    }

    // The next output report written to any open descriptor of the node.
    std::vector<uint8_t> DeviceReceives(const std::string& name, int timeoutMs = 1000) {
        std::vector<pollfd> ends;
        for (int fd : DeviceEnds(name)) ends.push_back({fd, POLLIN, 0});
        if (poll(ends.data(), ends.size(), timeoutMs) <= 0) return {};
        for (const pollfd& end : ends) {
            if (!(end.revents & POLLIN)) continue;
            std::vector<uint8_t> report(4096);
            ssize_t n = recv(end.fd, report.data(), report.size(), 0);
            report.resize(n > 0 ? size_t(n) : 0);
            return report;
        }
        return {};
    }

    // Bytes the device has sent that no open descriptor of the node has read yet.
    int UnreadBytes(const std::string& name) {
        int total = 0;
        for (int fd : DeviceEnds(name)) {
            int queued = 0;
            if (ioctl(fd, SIOCOUTQ, &queued) == 0) total += queued;
        }
        return total;
    }

    void DeviceGoesAway(const std::string& name) {
        std::lock_guard lock(mutex_);
        for (int fd : devices_[name]) close(fd);
        devices_[name].clear();
    }

    std::string FamilyPath(const std::string& name, int collection) {
        return MakeHidPath(0x320F, 0x5055, 1, collection, (DevRoot() / name).string());
    }

    int OpenFlags() const { return openFlags_; }

  private:
    fs::path root_;
    std::mutex mutex_;  // the program opens nodes on its own threads
    std::map<std::string, std::vector<int>> devices_;
    int openFlags_ = 0;
    int plugIns_ = 0;
};

// A simulated device answering on a fake node: what the program writes to the node's
// descriptors reaches the device, and what it sends reaches every descriptor.
class SimOnNode {
  public:
    SimOnNode(FakeHidraw& tree, std::string name, std::shared_ptr<sim::SimDevice> device)
        : tree_(tree), name_(std::move(name)), device_(std::move(device)) {
        // The device's reports come out of handles on a bus of its own.
        bus_->Plug(device_);
        std::vector<std::string> paths;
        bus_->Enumerate(paths);
        for (const auto& path : paths) outputs_.push_back(bus_->Open(path, true, false));
        thread_ = std::thread([this] { Run(); });
    }
    ~SimOnNode() {
        stop_ = true;
        thread_.join();
    }

  private:
    void Run() {
        std::vector<uint8_t> report(4096);
        Event never;
        while (!stop_) {
            for (int fd : tree_.DeviceEnds(name_)) {
                ssize_t n = recv(fd, report.data(), report.size(), MSG_DONTWAIT);
                if (n > 0)
                    device_->OnOutputReport(sim::kFamilyInterface, {report.data(), size_t(n)});
            }
            for (auto& output : outputs_) {
                size_t got = 0;
                while (output->Read(report, got, 0, never) == IoStatus::Ok)
                    tree_.DeviceSends(name_, {report.begin(), report.begin() + got}, false);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    FakeHidraw& tree_;
    const std::string name_;
    std::shared_ptr<sim::SimDevice> device_;
    std::shared_ptr<VirtualHidBus> bus_ = std::make_shared<VirtualHidBus>();
    std::vector<std::unique_ptr<HidHandle>> outputs_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vivori::hid::fake
