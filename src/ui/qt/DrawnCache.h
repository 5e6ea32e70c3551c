#pragma once

#include <string>

#include "ui/qt/PictureLru.h"

namespace vivori::ui {

// Small pictures the render engine draws the same way many times a second (key-cap
// labels and rounded borders under a light preview), drawn once into an image of their
// device pixels and blitted after that: text layout and antialiased strokes cost far
// more than a blit. The least recently used go first, within a fixed byte budget.
class DrawnCache : public PictureLru<std::string> {
  public:
    static constexpr qsizetype kMaxBytes = 512 * 1024;
    // Larger pictures are drawn directly: they are painted rarely.
    static constexpr qsizetype kMaxPixels = 96 * 48;

    DrawnCache() : PictureLru(kMaxBytes, kMaxPixels) {}
    static DrawnCache& Instance();
};

}  // namespace vivori::ui
