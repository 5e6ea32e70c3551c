#include "lighting/AudioBands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace vivori::lighting {
namespace {

int32_t ToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool SpectrumReducer::Add(std::span<const int32_t> frame) {
    ++counter_;
    std::array<int64_t, kSpectrumValues> change{};
    for (int i = 0; i < kSpectrumValues; ++i) {
        const int32_t value = size_t(i) < frame.size() ? frame[size_t(i)] : 0;
        change[size_t(i)] = std::llabs(int64_t(value) - int64_t(previous_[size_t(i)]));
        previous_[size_t(i)] = value;
    }
    for (int j = 0; j < kSpectrumBands; ++j) {
        const auto first = change.begin() + j * kSpectrumBandWidth;
        int64_t sum = 0;
        for (auto d = first; d != first + kSpectrumBandWidth; ++d) sum += *d;
        const int64_t mean = (int64_t(means_[size_t(j)]) + sum) / kSpectrumBandWidth;
        means_[size_t(j)] = ToInt32(mean);
        // A change can reach 2^32, its square 2^64: the squares are summed as reals.
        long double squares = spreads_[size_t(j)];
        for (auto d = first; d != first + kSpectrumBandWidth; ++d) {
            const long double off = static_cast<long double>(*d - means_[size_t(j)]);
            squares += off * off;
        }
        spreads_[size_t(j)] = ToInt32(static_cast<int64_t>(
            std::sqrt(std::max<long double>(squares / (kSpectrumBandWidth - 1), 0))));
    }
    if (counter_ < kFramesPerDelivery) return false;
    counter_ = 0;
    return true;
}

namespace {

// The payload in a zeroed buffer of the capacity; nothing when it is empty or too large.
std::optional<std::vector<uint8_t>> CopyFrame(std::span<const uint8_t> payload, size_t capacity,
                                              size_t atLeast) {
    if (payload.empty() || payload.size() > capacity) return std::nullopt;
    std::vector<uint8_t> buffer(std::max(capacity, atLeast), 0);
    std::memcpy(buffer.data(), payload.data(), payload.size());
    return buffer;
}

}  // namespace

SpectrumFrame ReadSpectrumFrame(std::span<const uint8_t> payload, size_t capacity) {
    SpectrumFrame frame;
    constexpr size_t kFrameBytes = sizeof(frame.values);
    const auto buffer = CopyFrame(payload, capacity, kFrameBytes);
    if (!buffer) {
        frame.verdict =
            payload.empty() ? SpectrumFrame::Verdict::Empty : SpectrumFrame::Verdict::TooLarge;
        return frame;
    }
    if (payload.size() < kFrameBytes) {
        frame.verdict = SpectrumFrame::Verdict::TooShort;
        return frame;
    }
    std::memcpy(frame.values.data(), buffer->data(), kFrameBytes);
    frame.verdict = SpectrumFrame::Verdict::Taken;
    return frame;
}

std::optional<std::array<int32_t, 6>> ReadLevelFrame(std::span<const uint8_t> payload,
                                                     size_t capacity) {
    std::array<int32_t, 6> levels{};
    const auto buffer = CopyFrame(payload, capacity, sizeof(levels));
    if (!buffer) return std::nullopt;
    std::memcpy(levels.data(), buffer->data(), sizeof(levels));
    return levels;
}

}  // namespace vivori::lighting
