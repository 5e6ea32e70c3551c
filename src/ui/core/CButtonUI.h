#pragma once

#include "ui/core/CLabelUI.h"

namespace vivori::ui {

// A label that can be pressed: state images and colours for hot, pushed, focused and
// disabled, and a "click" notification when released over itself.
class CButtonUI : public CLabelUI {
  public:
    std::string_view GetClass() const override { return "ButtonUI"; }
    void* GetInterface(std::string_view name) override;

    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    void SetNormalImage(std::string_view image);
    void SetHotImage(std::string_view image);
    void SetPushedImage(std::string_view image);
    const std::string& GetNormalImage() const { return normalImage_; }

  protected:
    void PaintBkColor(IRender& render) override;
    void PaintStatusImage(IRender& render) override;
    UiColor CurrentTextColor() const override;

    std::string normalImage_;
    std::string hotImage_;
    std::string pushedImage_;
    std::string focusedImage_;
    std::string disabledImage_;
    UiColor hotBkColor_ = 0;
    UiColor pushedBkColor_ = 0;
    UiColor hotTextColor_ = 0;
    UiColor pushedTextColor_ = 0;
    UiColor focusedTextColor_ = 0;
};

}  // namespace vivori::ui
