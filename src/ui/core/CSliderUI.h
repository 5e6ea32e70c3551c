#pragma once

#include "ui/core/CProgressUI.h"

namespace vivori::ui {

// A progress bar with a thumb the user drags. Dragging sends "movevaluechanged" on
// each change; releasing sends "valuechanged".
class CSliderUI : public CProgressUI {
  public:
    CSliderUI();
    std::string_view GetClass() const override { return "SliderUI"; }
    void* GetInterface(std::string_view name) override;

    int GetChangeStep() const { return step_; }
    void SetChangeStep(int step) { step_ = step > 0 ? step : 1; }
    UiSize GetThumbSize() const { return thumbSize_; }
    UiRect GetThumbRect() const;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    // A control named by "valuelabel" shows the value, through "valueformat" ("%d dB").
    void SetValue(int value) override;
    std::string ValueText() const;

  protected:
    void PaintStatusImage(IRender& render) override;

  private:
    int ValueAt(UiPoint point) const;
    // Moves to the value under the point, telling listeners when it changed.
    void MoveTo(UiPoint point);

    int step_ = 1;
    UiSize thumbSize_{10, 10};
    std::string thumbImage_;
    std::string thumbHotImage_;
    std::string thumbPushedImage_;
    UiColor thumbColor_ = 0;
    bool dragging_ = false;
    std::string valueLabel_;
    std::string valueFormat_ = "%d";

    void ShowValue();
};

}  // namespace vivori::ui
