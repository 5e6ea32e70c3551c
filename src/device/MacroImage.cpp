#include "device/MacroImage.h"

#include <algorithm>

namespace vivori {

namespace {
constexpr size_t kHeaderSize = 16;
constexpr size_t kRecordHeaderSize = 4;
constexpr size_t kEventSize = 4;

void Put16(std::vector<uint8_t>& out, size_t at, size_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}
}  // namespace

std::array<uint8_t, 4> EncodeEventRecord(const MacroEvent& event) {
    return {static_cast<uint8_t>(event.delay), static_cast<uint8_t>(event.delay >> 8),
            static_cast<uint8_t>((event.type & 0x7F) | (event.press ? 0x80 : 0x00)), event.button};
}

MacroImage BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros,
                           size_t capacityBytes) {
    size_t total = kHeaderSize + 2 * macros.size();
    for (const auto& m : macros) total += kRecordHeaderSize + kEventSize * m.size();

    MacroImage image;
    const size_t capacity = std::min(capacityBytes, kImageFormatLimit);
    if (total > capacity) {
        image.eventsTooMany = static_cast<int>(
            std::min<size_t>((total - capacity) / kEventSize + 1, static_cast<size_t>(INT32_MAX)));
        return image;
    }

    std::vector<uint8_t>& out = image.bytes;
    out.assign(total, 0);
    out[0] = 0xAA;
    out[1] = 0x55;
    Put16(out, 2, total);
    Put16(out, 4, macros.size());
    size_t at = kHeaderSize + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        Put16(out, kHeaderSize + 2 * i, at);
        Put16(out, at, macros[i].size());
        at += kRecordHeaderSize;
        for (const MacroEvent& e : macros[i]) {
            const auto record = EncodeEventRecord(e);
            std::copy(record.begin(), record.end(), out.begin() + static_cast<ptrdiff_t>(at));
            at += kEventSize;
        }
    }
    return image;
}

MacroImage BuildShootImage(const std::array<std::vector<MacroEvent>, kShootPatterns>& patterns) {
    return BuildMacroImage({patterns.begin(), patterns.end()}, kImageFormatLimit);
}

}  // namespace vivori
