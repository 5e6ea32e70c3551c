#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/core/CButtonUI.h"

namespace vivori::controls {

// A view of an image larger than the control ("handimage"), panned by dragging it.
class CHandImgSelectButtonUI : public ui::CButtonUI {
  public:
    // How a layout image's size is learnt: the window system's image cache knows it,
    // the headless toolkit does not. Null or no answer: the sizes stay as they were.
    using ImageSizeLookup = std::function<std::optional<ui::UiSize>(const std::string& file)>;
    static void SetImageSizeLookup(ImageSizeLookup lookup);

    std::string_view GetClass() const override { return "HandImgSelectButton"; }
    void* GetInterface(std::string_view name) override;
    void DoEvent(ui::TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    // The part of the image shown, in image pixels.
    const ui::UiRect& SourceWindow() const { return source_; }
    const std::string& DisplayImage() const { return display_; }
    ui::UiSize ImageSize() const { return imageSize_; }

  protected:
    void PaintStatusImage(ui::IRender& render) override;

  private:
    void SetHandImage(std::string_view name);
    void Pan(ui::UiPoint point);
    void ShowSourceWindow();

    std::string handImage_;
    std::string display_;
    ui::UiSize imageSize_;
    ui::UiRect source_;
    ui::UiPoint last_;
    bool dragging_ = false;
};

}  // namespace vivori::controls
