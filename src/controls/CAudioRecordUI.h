#pragma once

#include <array>
#include <cstdint>

#include "ui/core/CLabelUI.h"

namespace vivori::controls {

// A level trace: one vertical line every second pixel for each sample (0-8192), drawn
// on white from the bottom of the control.
class CAudioRecordUI : public ui::CLabelUI {
  public:
    static constexpr int kSampleCount = 500;
    static constexpr int kFullScale = 8192;
    // The first samples start as a ramp so a fresh view shows something.
    static constexpr int kRampLength = 256;

    CAudioRecordUI();
    std::string_view GetClass() const override { return "AudioRecord"; }
    void* GetInterface(std::string_view name) override;

    int Sample(int index) const;
    void SetSample(int index, int value);

  protected:
    void PaintBkColor(ui::IRender& render) override;

  private:
    std::array<std::int32_t, kSampleCount> samples_{};
};

}  // namespace vivori::controls
