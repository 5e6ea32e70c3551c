#pragma once

// Opens the command collection of the device that --device and --link name, the
// way discovery finds it: the supported-device table row of that kind, matched
// against the present HID collections.

#include <memory>
#include <string>

#include "Ctl.h"
#include "device/CommandTransport.h"

namespace vivori::ctl {

// ConfigBegin when made; ConfigEnd when it goes, so a command failing in between
// still takes the device out of configuration mode. End() sends it early and gives
// its result.
class Configuration {
  public:
    explicit Configuration(CommandTransport& transport)
        : transport_(transport), begun_(transport.ConfigBegin()) {}
    ~Configuration() {
        if (begun_ == CMD_OK && !ended_) transport_.ConfigEnd();
    }
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    int Begun() const { return begun_; }
    int End() {
        ended_ = true;
        return transport_.ConfigEnd();
    }

  private:
    CommandTransport& transport_;
    const int begun_;
    bool ended_ = false;
};

struct DeviceSession {
    std::shared_ptr<hid::HidBus> bus;
    std::unique_ptr<CommandTransport> transport;
    std::unique_ptr<Configuration> configuration;  // ends before the transport goes
    uint16_t kind = 0;
};

// Null transport, with error set, when the device is not present, cannot be opened,
// or (on the receiver) its wireless device is away.
DeviceSession OpenDevice(const Options& options, std::string* error);

// The same for a transport made on bus (a device object's): false with error set.
bool OpenCommandTransport(const Options& options, const std::shared_ptr<hid::HidBus>& bus,
                          CommandTransport& transport, std::string* error);

// The bus the options ask for. With --simulate and --link receiver, a simulated
// keyboard or mouse whose receiver is not named gets its receiver plugged too,
// paired to it, so "--simulate keyboard --link receiver" reaches the keyboard
// through its receiver.
std::shared_ptr<hid::HidBus> SelectDeviceBus(const Options& options, std::string* error);

// Opens the device, begins its configuration (session.configuration) and reads the
// information block into info (kInfoSize bytes).
// 0 on success, else the exit code after the error line.
int OpenAndReadInfo(const Options& options, DeviceSession& session, uint8_t* info);

// "<what> failed: CMD_NO_REPLY (0)" on stderr; returns the failure exit code.
int CommandFailed(const std::string& what, int result);

}  // namespace vivori::ctl
