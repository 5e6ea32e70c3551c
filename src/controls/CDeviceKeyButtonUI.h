#pragma once

#include <cstdint>
#include <string>

#include "devices/IDeviceKeyButton.h"
#include "ui/core/CButtonUI.h"

namespace vivori::controls {

// A key or LED of a device picture: a button that can show its light colour (the
// "lightimage" tinted) and a mark over keys that do something else than their legend.
class CDeviceKeyButtonUI : public ui::CButtonUI, public devices::IDeviceKeyButton {
  public:
    // A red tint at a bright level until the lighting says otherwise.
    static constexpr std::uint32_t kInitialTint = 255;
    static constexpr int kInitialLevel = 200;

    // Its light changes at the preview's rate over a still picture.
    CDeviceKeyButtonUI() { SetLively(true); }

    std::string_view GetClass() const override { return "DeviceKeyButton"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    void SetTint(std::uint32_t tint, int level, bool on) override;
    void SetLightColour(std::uint32_t rgb, std::uint8_t brightness) override;
    void SetDefaultAssignment(bool isDefault) override;
    void SetCurrentKey(bool current) override;
    void SetInSelection(bool selected) override;
    bool InSelection() const override { return inSelection_; }

    std::uint32_t Tint() const { return tint_; }
    int TintLevel() const { return level_; }
    bool TintOn() const { return tintOn_; }
    bool IsDefaultAssignment() const { return defaultAssignment_; }
    bool IsCurrentKey() const { return currentKey_; }
    const std::string& LightImage() const { return lightImage_; }

  protected:
    void PaintStatusImage(ui::IRender& render) override;

  private:
    std::string lightImage_;
    std::string keySetImage_;
    std::string keyUnsetImage_;
    bool tintOn_ = false;
    std::uint32_t tint_ = kInitialTint;
    int level_ = kInitialLevel;
    bool defaultAssignment_ = true;
    // Nothing clears it; the unset overlay exists for layouts that want to show it.
    bool keyUnset_ = true;
    bool currentKey_ = false;
    bool inSelection_ = false;
};

// 0xRRGGBB as the renderer's tint word (red | blue << 8 | green << 16).
std::uint32_t PackTint(std::uint32_t rgb);

}  // namespace vivori::controls
