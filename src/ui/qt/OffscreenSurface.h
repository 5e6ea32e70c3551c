#pragma once

#include <memory>
#include <string>

#include "ui/core/UiTypes.h"

class QImage;

namespace vivori::ui {

class CPaintManagerUI;

// An image a window's controls are painted into without a screen; kept between
// paints, so repeated repaints cost only the painting.
class OffscreenSurface {
  public:
    explicit OffscreenSurface(UiSize pixels);
    ~OffscreenSurface();
    OffscreenSurface(const OffscreenSurface&) = delete;
    OffscreenSurface& operator=(const OffscreenSurface&) = delete;

    // Repaints the whole surface.
    void Paint(CPaintManagerUI& manager);
    bool SavePng(const std::string& path) const;
    const QImage& Image() const { return *image_; }

  private:
    std::unique_ptr<QImage> image_;
};

// The whole window painted offscreen into a PNG file, replacing it atomically; false
// on failure.
bool SaveWindowPng(CPaintManagerUI& manager, const std::string& path);

}  // namespace vivori::ui
