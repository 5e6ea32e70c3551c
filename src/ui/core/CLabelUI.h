#pragma once

#include "ui/core/CControlUI.h"

namespace vivori::ui {

// A control that shows a line of text with a font, colours, alignment and padding.
class CLabelUI : public CControlUI {
  public:
    std::string_view GetClass() const override { return "LabelUI"; }
    void* GetInterface(std::string_view name) override;

    unsigned GetTextStyle() const { return textStyle_; }
    void SetTextStyle(unsigned style);
    UiColor GetTextColor() const { return textColor_; }
    void SetTextColor(UiColor color);
    UiColor GetDisabledTextColor() const { return disabledTextColor_; }
    void SetDisabledTextColor(UiColor color);
    int GetFont() const { return font_; }
    void SetFont(int font);
    const UiRect& GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const UiRect& padding);
    bool IsAutoCalcWidth() const { return autoCalcWidth_; }

    void SetText(std::string_view text) override;
    UiSize EstimateSize(UiSize available) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    void PaintText(IRender& render) override;
    // The colour text is drawn in for the current state.
    virtual UiColor CurrentTextColor() const;
    UiRect TextRect() const { return pos_.Deflate(textPadding_); }

    unsigned textStyle_ = kTextVCenter | kTextSingleLine;
    UiColor textColor_ = 0;
    UiColor disabledTextColor_ = 0;
    int font_ = -1;
    UiRect textPadding_;
    bool autoCalcWidth_ = false;
};

}  // namespace vivori::ui
