#pragma once

#include <string>

#include "ui/core/CButtonUI.h"

namespace vivori::controls {

// A button with a picture ("handimage") drawn over its status image, which tells its
// window when the pointer enters and leaves it.
class CHandImgButtonUI : public ui::CButtonUI {
  public:
    std::string_view GetClass() const override { return "HandImgButton"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    const std::string& HandImage() const { return handImage_; }

  protected:
    void PaintStatusImage(ui::IRender& render) override;

  private:
    std::string handImage_;
    // Accepted from layouts and kept; nothing draws them.
    std::string deleteNormalImage_;
    std::string deleteHotImage_;
};

}  // namespace vivori::controls
