#pragma once

// A fake hidraw world for tests: sysfs entries and device nodes in a temp folder.

#include <fcntl.h>
#include <poll.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/hid/HidrawBus.h"
#include "sim/FamilyDescriptors.h"

namespace vivori::hid::fake {

namespace fs = std::filesystem;

std::string UsbUevent(uint16_t vid, uint16_t pid, int bus = 3) {
    char text[128];
    std::snprintf(text, sizeof text, "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=test\n",
                  bus, vid, pid);
    return text;
}

void WriteFile(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::string Text(const std::vector<uint8_t>& bytes) {
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

    void AddNode(const NodeSetup& node) {
        const fs::path usbDevice = root_ / "devices" / node.name;
        const fs::path hidDevice = usbDevice / node.interfaceFolder / "0003:320F:5055.0001";
        fs::create_directories(hidDevice);
        WriteFile(usbDevice / "bcdDevice", "0105\n");
        if (!node.interfaceNumber.empty())
            WriteFile(usbDevice / node.interfaceFolder / "bInterfaceNumber", node.interfaceNumber);
        if (!node.uevent.empty()) WriteFile(hidDevice / "uevent", node.uevent);
        WriteFile(hidDevice / "report_descriptor", Text(node.descriptor));
        fs::create_directories(ClassRoot() / node.name);
        fs::create_directory_symlink(hidDevice, ClassRoot() / node.name / "device");
        WriteFile(DevRoot() / node.name, "");
    }

    void AddFamilyNode(const std::string& name) {
        AddNode(
            {name, UsbUevent(0x320F, 0x5055), sim::FamilyInterfaceDescriptor(), "1-2:1.1", "01"});
    }

    HidrawBus MakeBus() {
        return HidrawBus(ClassRoot(), DevRoot(), [this](const std::string& node, int flags) {
            int pair[2];
            if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) return -1;
            if (flags & O_NONBLOCK) fcntl(pair[0], F_SETFL, O_NONBLOCK);
            openFlags_ = flags;
            devices_[fs::path(node).filename().string()].push_back(pair[1]);
            return pair[0];
        });
    }

    // The device sends an input report; the kernel gives every reader its copy.
    void DeviceSends(const std::string& name, std::vector<uint8_t> report) {
        for (int fd : devices_[name]) send(fd, report.data(), report.size(), 0);
    }

    // The next output report written to any open descriptor of the node.
    std::vector<uint8_t> DeviceReceives(const std::string& name, int timeoutMs = 1000) {
        std::vector<pollfd> ends;
        for (int fd : devices_[name]) ends.push_back({fd, POLLIN, 0});
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
        for (int fd : devices_[name]) {
            int queued = 0;
            if (ioctl(fd, SIOCOUTQ, &queued) == 0) total += queued;
        }
        return total;
    }

    void DeviceGoesAway(const std::string& name) {
        for (int fd : devices_[name]) close(fd);
        devices_[name].clear();
    }

    std::string FamilyPath(const std::string& name, int collection) {
        return MakeHidPath(0x320F, 0x5055, 1, collection, (DevRoot() / name).string());
    }

    int OpenFlags() const { return openFlags_; }

  private:
    fs::path root_;
    std::map<std::string, std::vector<int>> devices_;
    int openFlags_ = 0;
};

}  // namespace vivori::hid::fake
