#pragma once

#include <QImage>
#include <QRect>
#include "ui/core/UiTypes.h"
#include "ui/qt/PictureLru.h"

namespace vivori::ui {

// Layout images already stretched to the size a control draws them at, so a picture
// repainted many times a second (the key caps under a light preview) is blitted once
// instead of being cut into nine patches and scaled each time. Small pictures only,
// the least recently used dropped first, within a fixed byte budget.
class PatchCache {
  public:
    static constexpr qsizetype kMaxBytes = 4 * 1024 * 1024;
    // Larger pictures are drawn directly: they are painted rarely and would crowd out
    // the small ones.
    static constexpr qsizetype kMaxPixels = 128 * 64;

    struct Key {
        qint64 image = 0;
        QRect source;
        QSize layout;  // the destination in layout units
        QSize size;    // the same in device pixels
        UiRect corner;
        bool hole = false;
        bool operator==(const Key& other) const;
    };

    static PatchCache& Instance();

    // The picture drawn at key.size; null when it is too large to keep.
    const QImage* Get(const QImage& picture, const Key& key);
    void Clear() { pictures_.Clear(); }
    qsizetype Bytes() const { return pictures_.Bytes(); }

  private:
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    PictureLru<Key, KeyHash> pictures_{kMaxBytes, kMaxPixels};
};

// Draws source onto dest; with corners, as a nine-patch whose corners keep their size
// and whose edges and middle stretch ("hole" leaves the middle out).
void DrawPatches(QPainter& painter, const QImage& picture, const QRect& source, const QRect& dest,
                 const UiRect& corner, bool hole);

}  // namespace vivori::ui
