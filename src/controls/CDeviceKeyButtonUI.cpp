#include "controls/CDeviceKeyButtonUI.h"

namespace vivori::controls {

std::uint32_t PackTint(std::uint32_t rgb) {
    return devices::TintColour(static_cast<std::uint8_t>(rgb >> 16),
                               static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
}

void* CDeviceKeyButtonUI::GetInterface(std::string_view name) {
    if (name == devices::kDeviceKeyButton) return static_cast<devices::IDeviceKeyButton*>(this);
    return CButtonUI::GetInterface(name);
}

void CDeviceKeyButtonUI::DoEvent(ui::TEventUI& event) {
    if (event.type == ui::UiEventType::DoubleClick && IsEnabled() && pos_.Contains(event.mouse)) {
        state_ |= ui::kStatePushed | ui::kStateCaptured;
        Notify(ui::kNotifyDoubleClick);
        Invalidate();
        return;
    }
    CButtonUI::DoEvent(event);
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "lightimage") {
        lightImage_ = value;
    } else if (name == "keysetimage") {
        keySetImage_ = value;
    } else if (name == "keyunsetimage") {
        keyUnsetImage_ = value;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CDeviceKeyButtonUI::SetTint(std::uint32_t tint, int level, bool on) {
    // Only a key whose light changed is painted again, not the picture around it.
    if (tint_ == tint && level_ == level && tintOn_ == on) return;
    tint_ = tint;
    level_ = level;
    tintOn_ = on;
    Invalidate();
}

void CDeviceKeyButtonUI::SetLightColour(std::uint32_t rgb, std::uint8_t brightness) {
    SetTint(PackTint(rgb), brightness, true);
}

void CDeviceKeyButtonUI::SetDefaultAssignment(bool isDefault) {
    if (defaultAssignment_ == isDefault) return;
    defaultAssignment_ = isDefault;
    Invalidate();
}

void CDeviceKeyButtonUI::SetCurrentKey(bool current) {
    if (currentKey_ == current) return;
    currentKey_ = current;
    Invalidate();
}

void CDeviceKeyButtonUI::SetInSelection(bool selected) {
    inSelection_ = selected;
}

void CDeviceKeyButtonUI::PaintStatusImage(ui::IRender& render) {
    // The key the panel below edits shows pressed, so the user sees which one it is.
    const bool marked =
        currentKey_ && IsEnabled() && !pushedImage_.empty() && DrawImage(render, pushedImage_);
    if (!marked) CButtonUI::PaintStatusImage(render);
    if (tintOn_ && !lightImage_.empty()) {
        const ui::ImageDrawInfo& light = ui::ParsedImageString(lightImage_);
        if (light.valid) render.DrawTintedImage(pos_, light, tint_, level_, tintOn_);
    }
    if (!keyUnset_ && !keyUnsetImage_.empty()) DrawImage(render, keyUnsetImage_);
    if (!defaultAssignment_ && !keySetImage_.empty()) DrawImage(render, keySetImage_);
}

}  // namespace vivori::controls
