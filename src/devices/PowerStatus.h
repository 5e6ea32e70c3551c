#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vivori::devices {

// The power record a device answers ReadStatus with: battery level in percent,
// charging state, the phone lying on a mouse pad, the link (set by the host) and the
// battery value passed to the main window.
inline constexpr size_t kPowerRecordSize = 6;
using PowerRecord = std::array<uint8_t, kPowerRecordSize>;
namespace power_byte {
inline constexpr size_t kLevel = 0;
inline constexpr size_t kCharging = 1;
inline constexpr size_t kPhone = 2;
inline constexpr size_t kLink = 3;
inline constexpr size_t kValue = 4;
}  // namespace power_byte
enum class Charging : uint8_t { Full = 0, Charging = 1, OnBattery = 2 };
enum class PhoneKind : uint8_t { None = 0, IPhone = 1, Samsung = 2, Other = 3 };
PhoneKind PhoneOf(const PowerRecord& record);

// The header's power control as a device sees it. The control answers
// GetInterface(kPowerDisplay) with this.
inline constexpr const char* kPowerDisplay = "MpDevicePower";
class IPowerDisplay {
  public:
    virtual ~IPowerDisplay() = default;
    // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset.
    virtual void SetDeviceType(int type, int value) = 0;
    // Shows or hides the battery part (mice and keyboards show it).
    virtual void ShowLayout(bool show) = 0;
    virtual void ShowPower(const uint8_t* record, size_t length) = 0;
    // No figure: the power was not read yet, or the last read failed.
    virtual void ShowPowerUnknown() = 0;
    // While the device does not answer, says so in words in place of the battery.
    virtual void ShowAnswering(bool answering) = 0;
    // While the connection's reads are under way, says so in words.
    virtual void ShowReading(bool reading) = 0;
};

// One device's battery as the tray lists it.
struct BatteryLine {
    std::string name;  // "Mouse", "Keyboard", "Headset"
    PowerRecord record{};
};

// "Mouse: 57 % (charging)" lines under the application name, one per device.
std::string BatteryToolTip(const std::string& title, const std::vector<BatteryLine>& lines);

// Decides when a low battery deserves a desktop notification: once when a device on
// battery drops to the threshold or below, and again only after it has been charged
// in between. Keyed by anything stable per device.
class BatteryWatch {
  public:
    static constexpr int kLowPercent = 10;
    // True when this reading should be announced.
    bool Update(const void* device, const PowerRecord& record);
    void Forget(const void* device) { warned_.erase(device); }

  private:
    std::map<const void*, bool> warned_;
};

}  // namespace vivori::devices
