#include "controls/CAudioRecordUI.h"

#include <algorithm>

namespace vivori::controls {

CAudioRecordUI::CAudioRecordUI() {
    // The rest stay zero (value-initialised above): a flat line, never garbage.
    for (int i = 0; i < kRampLength; ++i) samples_[static_cast<size_t>(i)] = i;
}

void* CAudioRecordUI::GetInterface(std::string_view name) {
    if (name == "AudioRecord") return this;
    return CLabelUI::GetInterface(name);
}

int CAudioRecordUI::Sample(int index) const {
    if (index < 0 || index >= kSampleCount) return 0;
    return samples_[static_cast<size_t>(index)];
}

void CAudioRecordUI::SetSample(int index, int value) {
    if (index < 0 || index >= kSampleCount) return;
    samples_[static_cast<size_t>(index)] = std::clamp(value, 0, kFullScale);
    Invalidate();
}

void CAudioRecordUI::PaintBkColor(ui::IRender& render) {
    constexpr ui::UiColor kWhite = 0xFFFFFFFF;
    constexpr ui::UiColor kBlack = 0xFF000000;
    render.FillRect(pos_, kWhite);
    const int height = pos_.bottom - pos_.top;
    const int width = pos_.right - pos_.left;
    for (int i = 0; i < kSampleCount && 2 * i < width; ++i) {
        const int x = pos_.left + 2 * i;
        const int top = pos_.top + height - Sample(i) * height / kFullScale;
        render.DrawLine({x, top}, {x, pos_.bottom - 1}, kBlack, 1);
    }
}

}  // namespace vivori::controls
