#include "devices/PowerStatus.h"

namespace vivori::devices {

PhoneKind PhoneOf(const PowerRecord& record) {
    const uint8_t phone = record[power_byte::kPhone];
    return phone >= 1 && phone <= 3 ? PhoneKind(phone) : PhoneKind::None;
}

std::string BatteryToolTip(const std::string& title, const std::vector<BatteryLine>& lines) {
    std::string text = title;
    for (const BatteryLine& line : lines) {
        text += "\n" + line.name + ": " + std::to_string(line.record[power_byte::kLevel]) + " %";
        switch (Charging(line.record[power_byte::kCharging])) {
            case Charging::Full:
                text += " (full)";
                break;
            case Charging::Charging:
                text += " (charging)";
                break;
            default:
                break;
        }
    }
    return text;
}

bool BatteryWatch::Update(const void* device, const PowerRecord& record) {
    const bool onBattery = Charging(record[power_byte::kCharging]) == Charging::OnBattery;
    const bool low = record[power_byte::kLevel] <= kLowPercent;
    bool& warned = warned_[device];
    if (!onBattery) {
        // On the charger: the next discharge is announced again. A level that wobbles
        // around the threshold on battery is still the same discharge.
        warned = false;
        return false;
    }
    if (!low || warned) return false;
    warned = true;
    return true;
}

}  // namespace vivori::devices
