#include "controls/CChartViewUI.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace vivori::controls {
namespace {

constexpr std::array<ui::UiColor, 6> kSliceColours = {0xFF2E86DE, 0xFFE74C3C, 0xFF27AE60,
                                                      0xFFF1C40F, 0xFF8E44AD, 0xFF16A085};
constexpr ui::UiColor kTextColour = 0xFF303030;
constexpr int kLegendRow = 18;
constexpr int kLabelHeight = 16;

int ToInt(std::string_view text, int fallback) {
    int value = fallback;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

void* CChartViewUI::GetInterface(std::string_view name) {
    if (name == "ChartView") return this;
    return CControlUI::GetInterface(name);
}

void CChartViewUI::SetAttribute(std::string_view name, std::string_view value) {
    CControlUI::SetAttribute(name, value);
    if (name == "view") {
        // "histpgram" is how layouts spell it.
        if (value == "pie") view_ = View::Pie;
        if (value == "histpgram") view_ = View::Histogram;
    } else if (name == "shadowimage") {
        shadowImage_ = value;
    } else if (name == "shadowimageheight") {
        shadowHeight_ = ToInt(value, shadowHeight_);
    } else if (name == "pillarimage") {
        pillarImage_ = value;
    } else if (name == "pillarimagewidth") {
        pillarWidth_ = ToInt(value, pillarWidth_);
    } else if (name == "showhtml") {
        showHtml_ = value == "true";
    } else if (name == "showtext") {
        showText_ = value == "true";
    } else if (name == "font") {
        font_ = ToInt(value, font_);
    }
}

void CChartViewUI::AddItem(std::string label, double value) {
    items_.push_back({std::move(label), std::max(0.0, value)});
    Invalidate();
}

double CChartViewUI::Largest() const {
    double largest = 0.0;
    for (const Item& item : items_) largest = std::max(largest, item.value);
    return largest;
}

double CChartViewUI::Total() const {
    double total = 0.0;
    for (const Item& item : items_) total += item.value;
    return total;
}

void CChartViewUI::DoPaint(ui::IRender& render, const ui::UiRect& paintRect) {
    CControlUI::DoPaint(render, paintRect);
    if (items_.empty()) return;
    if (view_ == View::Pie) {
        PaintPie(render);
    } else {
        PaintHistogram(render);
    }
}

void CChartViewUI::PaintPie(ui::IRender& render) {
    const double total = Total();
    if (total <= 0.0) return;
    const int side = std::min(pos_.right - pos_.left, pos_.bottom - pos_.top);
    const ui::UiRect pie{pos_.left, pos_.top, pos_.left + side, pos_.top + side};
    double start = 90.0;
    for (size_t i = 0; i < items_.size(); ++i) {
        const double span = items_[i].value / total * 360.0;
        const ui::UiColor colour = kSliceColours[i % kSliceColours.size()];
        render.FillPie(pie, start, -span, colour);
        start -= span;
        if (!showText_) continue;
        const int top = pos_.top + static_cast<int>(i) * kLegendRow;
        render.FillRect({pie.right + 8, top + 4, pie.right + 18, top + 14}, colour);
        render.DrawText({pie.right + 24, top, pos_.right, top + kLegendRow}, items_[i].label,
                        kTextColour, font_, ui::kTextSingleLine | ui::kTextVCenter);
    }
}

void CChartViewUI::PaintHistogram(ui::IRender& render) {
    const double largest = Largest();
    const int labels = showText_ ? kLabelHeight : 0;
    const int base = pos_.bottom - labels - shadowHeight_;
    if (!shadowImage_.empty()) {
        ui::ImageDrawInfo shadow = ui::ParseImageString(shadowImage_);
        shadow.dest = {0, base - pos_.top, pos_.right - pos_.left, base - pos_.top + shadowHeight_};
        if (shadow.valid) render.DrawImage(pos_, shadow);
    }
    const int slot = (pos_.right - pos_.left) / static_cast<int>(items_.size());
    const int width = pillarWidth_ > 0 ? std::min(pillarWidth_, slot) : slot / 2;
    for (size_t i = 0; i < items_.size(); ++i) {
        const int left = pos_.left + static_cast<int>(i) * slot + (slot - width) / 2;
        const int height =
            largest > 0.0 ? static_cast<int>(items_[i].value / largest * (base - pos_.top)) : 0;
        ui::ImageDrawInfo pillar = ui::ParseImageString(pillarImage_);
        pillar.dest = {left - pos_.left, base - height - pos_.top, left - pos_.left + width,
                       base - pos_.top};
        if (pillar.valid && height > 0) render.DrawImage(pos_, pillar);
        if (showText_)
            render.DrawText({left - (slot - width) / 2, pos_.bottom - labels,
                             left + width + (slot - width) / 2, pos_.bottom},
                            items_[i].label, kTextColour, font_,
                            ui::kTextSingleLine | ui::kTextCenter | ui::kTextVCenter);
    }
}

}  // namespace vivori::controls
