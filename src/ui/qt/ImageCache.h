#pragma once

#include <QImage>
#include <map>
#include <string>
#include <utility>

#include "ui/core/UiTypes.h"

namespace vivori::ui {

// Decoded layout images by file name (relative to the resource folder) and mask
// colour. A file that cannot be read is remembered too, so a missing image costs
// one disk look-up, not one per paint.
class ImageCache {
  public:
    // Images larger than this on either side are refused; layouts never need them.
    static constexpr int kMaxSide = 8192;
    // Pictures of at least this many pixels and no more than 256 colours are kept as
    // 8-bit indexes (a quarter of the memory); smaller ones as premultiplied ARGB.
    static constexpr qsizetype kCompactPixels = 256 * 256;

    static ImageCache& Instance();

    // Null when the file is missing, unreadable or too large.
    const QImage* Get(const std::string& file, UiColor mask = 0);
    void Clear() { images_.clear(); }

  private:
    std::map<std::pair<std::string, UiColor>, QImage> images_;
};

}  // namespace vivori::ui
