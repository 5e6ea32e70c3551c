#pragma once

#include "ui/core/CLabelUI.h"

namespace vivori::ui {

// A bar filled in proportion to a value between a minimum and a maximum.
class CProgressUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "ProgressUI"; }
    void* GetInterface(std::string_view name) override;

    bool IsHorizontal() const { return horizontal_; }
    void SetHorizontal(bool horizontal);
    int GetMinValue() const { return min_; }
    void SetMinValue(int value);
    int GetMaxValue() const { return max_; }
    void SetMaxValue(int value);
    int GetValue() const { return value_; }
    // Clamped to the range.
    virtual void SetValue(int value);
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    void PaintStatusImage(IRender& render) override;
    // The filled part of the bar.
    UiRect FilledRect() const;

    bool horizontal_ = true;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    UiColor foreColor_ = 0;
};

}  // namespace vivori::ui
