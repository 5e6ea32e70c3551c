#include "devices/MouseDpiScale.h"

#include <algorithm>
#include <cctype>

namespace vivori::devices {
namespace {

// Leading decimal digits, saturating; anything else reads as 0.
long long ParseDecimal(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        value = std::min<long long>(value * 10 + (c - '0'), 1'000'000'000);
    }
    return value;
}

bool WideRange(const DpiScale& scale) {
    return scale.sensor == kWideRangeSensor;
}

}  // namespace

DpiScale ScaleOfInfo(std::span<const uint8_t> info) {
    if (info.size() <= kInfoDpiBase + 1) return {};
    auto word = [&](size_t at) { return info[at] | info[at + 1] << 8; };
    return {.step = info[kInfoDpiStep],
            .base = word(kInfoDpiBase),
            .highest = word(kInfoHighestPosition),
            .sensor = static_cast<uint16_t>(word(kInfoSensor))};
}

int PositionToDpi(const DpiScale& scale, int position) {
    if (WideRange(scale) && position > kWideRangeFrom)
        return scale.step * kWideRangeFrom + (position - kWideRangeFrom) * kWideRangeStep +
               scale.base;
    return position * scale.step + scale.base;
}

int DpiTextToPosition(const DpiScale& scale, std::string_view text) {
    const long long value = std::max<long long>(ParseDecimal(text), scale.base);
    const long long wideFrom = (long long)scale.step * kWideRangeFrom + scale.base;
    long long position = 0;
    if (WideRange(scale) && value > wideFrom)
        position = kWideRangeFrom + (value - wideFrom) / kWideRangeStep;
    else if (scale.step > 0)
        position = (value - scale.base) / scale.step;
    return static_cast<int>(std::clamp<long long>(position, 0, std::max(scale.highest, 0)));
}

}  // namespace vivori::devices
