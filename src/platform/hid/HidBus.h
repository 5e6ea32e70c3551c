#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Event.h"
#include "platform/hid/HidTypes.h"
#include "platform/hid/ReportDescriptor.h"

namespace vivori::hid {

enum class IoStatus { Ok, TimedOut, Aborted, Failed };

// One open top-level collection. Reads deliver only the input reports of this
// collection, each starting with its report ID byte (0 when the device has none).
class HidHandle {
  public:
    virtual ~HidHandle() = default;
    virtual const HidAttributes& Attributes() const = 0;
    virtual const HidCollection& Collection() const = 0;
    // Waits up to timeoutMs (kInfinite: no limit) for one report; abort ends the
    // wait at once and wins over a report that is ready at the same time.
    virtual IoStatus Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                          Event& abort) = 0;
    virtual IoStatus Write(std::span<const uint8_t> report, size_t& bytesWritten, int timeoutMs,
                           Event& abort) = 0;
    // Drops every input report of this collection that arrived and was not read yet.
    virtual void DiscardInput() = 0;
    // One output report sent at once, outside any exchange (the headset's LEDs): on
    // hidraw a plain write of the report, on the virtual bus a delivery to the device.
    virtual IoStatus SendOutputReport(std::span<const uint8_t> report, int timeoutMs, Event& abort) {
        size_t written = 0;
        return Write(report, written, timeoutMs, abort);
    }
};

// Stands in for the device-setup and HID services: lists interface paths and opens
// them. Paths have the Windows shape hid#vid_XXXX&pid_XXXX&mi_XX&colXX#<node>.
class HidBus {
  public:
    virtual ~HidBus() = default;
    // Fills paths with every present collection. An entry may be empty when one
    // interface could not be read; callers skip it. False when listing failed.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    virtual std::unique_ptr<HidHandle> Open(const std::string& path, bool read, bool write) = 0;
    // The removal probe: whether the path still names a present collection.
    virtual bool Probe(const std::string& path) = 0;
    // A descriptor that turns readable when collections may have come or gone, so a
    // watcher can sleep until then; -1 when the bus cannot tell (watchers poll).
    // DrainChanges empties it; a change after the drain makes it readable again.
    virtual int ChangeFd() { return -1; }
    virtual void DrainChanges() {}
};

// The bus the program uses unless a caller names one. Null until set; connections
// made before then see no devices. Each object takes it once, when it is made, so a
// program sets it before it starts any thread.
std::shared_ptr<HidBus> DefaultHidBus();
void SetDefaultHidBus(std::shared_ptr<HidBus> bus);
// The bus of the real devices: hidraw nodes under /sys/class/hidraw and /dev.
std::shared_ptr<HidBus> MakeSystemHidBus();

// "hid#vid_320f&pid_5055&mi_01&col04#node": collection 0 means the interface has a
// single top-level collection and the path carries no "&col".
std::string MakeHidPath(uint16_t vid, uint16_t pid, int interfaceNumber, int collection,
                        const std::string& node);
// The hexadecimal number after a case-insensitive key ("vid_", "pid_", "&mi_",
// "&col") in a path, 0 when the key is missing.
uint32_t ParsePathNumber(const std::string& path, const char* key);
// The text after the last '#': the node part of a path.
std::string PathNode(const std::string& path);

}  // namespace vivori::hid
