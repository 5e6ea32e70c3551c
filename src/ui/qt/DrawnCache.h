#pragma once

#include <QImage>
#include <functional>
#include <list>
#include <string>
#include <unordered_map>

namespace vivori::ui {

// Small pictures the render engine draws the same way many times a second (key-cap
// labels and rounded borders under a light preview), drawn once into an image of their
// device pixels and blitted after that: text layout and antialiased strokes cost far
// more than a blit. The least recently used go first, within a fixed byte budget.
class DrawnCache {
  public:
    static constexpr qsizetype kMaxBytes = 512 * 1024;
    // Larger pictures are drawn directly: they are painted rarely.
    static constexpr qsizetype kMaxPixels = 96 * 48;

    static DrawnCache& Instance();

    // The picture for key, drawn by draw (into a transparent image of size) when it
    // is not kept yet; null when it is too large to keep.
    const QImage* Get(const std::string& key, QSize size, const std::function<void(QImage&)>& draw);
    void Clear();
    qsizetype Bytes() const { return bytes_; }

  private:
    using Entry = std::pair<std::string, QImage>;
    std::list<Entry> order_;  // most recent first
    std::unordered_map<std::string, std::list<Entry>::iterator> entries_;
    qsizetype bytes_ = 0;
};

}  // namespace vivori::ui
