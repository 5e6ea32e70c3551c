#include "ui/core/CLabelUI.h"

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

void* CLabelUI::GetInterface(std::string_view name) {
    if (name == "Label") return this;
    return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(unsigned style) {
    textStyle_ = style;
    Invalidate();
}

void CLabelUI::SetTextColor(UiColor color) {
    textColor_ = color;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(UiColor color) {
    disabledTextColor_ = color;
    Invalidate();
}

void CLabelUI::SetFont(int font) {
    font_ = font;
    Invalidate();
}

void CLabelUI::SetTextPadding(const UiRect& padding) {
    textPadding_ = padding;
    Invalidate();
}

void CLabelUI::SetText(std::string_view text) {
    CControlUI::SetText(text);
    if (autoCalcWidth_) NeedParentUpdate();
}

UiSize CLabelUI::EstimateSize(UiSize available) {
    if (!autoCalcWidth_) return CControlUI::EstimateSize(available);
    int size = 12;
    if (manager_ != nullptr) {
        const FontInfo* font = manager_->GetFont(font_);
        size = font != nullptr ? font->size : manager_->GetDefaultFont().size;
    }
    UiSize text = EstimateTextSize(GetText(), size);
    return {text.cx + textPadding_.left + textPadding_.right, fixed_.cy};
}

void CLabelUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "align") {
        textStyle_ &= ~(kTextCenter | kTextRight);
        if (value.find("center") != std::string_view::npos) textStyle_ |= kTextCenter;
        if (value.find("right") != std::string_view::npos) textStyle_ |= kTextRight;
    } else if (name == "valign") {
        textStyle_ &= ~(kTextVCenter | kTextBottom);
        if (value.find("center") != std::string_view::npos) textStyle_ |= kTextVCenter;
        if (value.find("bottom") != std::string_view::npos) textStyle_ |= kTextBottom;
    } else if (name == "endellipsis") {
        textStyle_ =
            ParseBool(value) ? textStyle_ | kTextEndEllipsis : textStyle_ & ~kTextEndEllipsis;
    } else if (name == "wordbreak") {
        textStyle_ = ParseBool(value) ? (textStyle_ | kTextWordBreak) & ~kTextSingleLine
                                      : (textStyle_ & ~kTextWordBreak) | kTextSingleLine;
    } else if (name == "textfit") {
        textStyle_ = ParseBool(value) ? textStyle_ | kTextFit : textStyle_ & ~kTextFit;
    } else if (name == "font") {
        SetFont(ParseInt(value));
    } else if (name == "textcolor") {
        SetTextColor(ParseColor(value));
    } else if (name == "disabledtextcolor") {
        SetDisabledTextColor(ParseColor(value));
    } else if (name == "textpadding") {
        SetTextPadding(ParseRect(value));
    } else if (name == "autocalcwidth") {
        autoCalcWidth_ = ParseBool(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

UiColor CLabelUI::CurrentTextColor() const {
    if (!IsEnabled()) {
        if (disabledTextColor_ != 0) return disabledTextColor_;
        return manager_ != nullptr ? manager_->GetDefaultDisabledColor() : 0xFFA7A6AA;
    }
    if (textColor_ != 0) return textColor_;
    return manager_ != nullptr ? manager_->GetDefaultTextColor() : 0xFF000000;
}

void CLabelUI::PaintText(IRender& render) {
    std::string text = GetText();
    if (text.empty()) return;
    render.DrawText(TextRect(), text, CurrentTextColor(), font_, textStyle_);
}

}  // namespace vivori::ui
