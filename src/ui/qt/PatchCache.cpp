#include "ui/qt/PatchCache.h"

#include <QPainter>
#include <algorithm>
#include <functional>

namespace vivori::ui {

bool PatchCache::Key::operator==(const Key& other) const {
    return image == other.image && source == other.source && layout == other.layout &&
           size == other.size && corner.left == other.corner.left &&
           corner.top == other.corner.top && corner.right == other.corner.right &&
           corner.bottom == other.corner.bottom && hole == other.hole;
}

std::size_t PatchCache::KeyHash::operator()(const Key& key) const {
    std::size_t hash = std::hash<qint64>()(key.image);
    for (int value :
         {key.source.x(), key.source.y(), key.source.width(), key.source.height(),
          key.layout.width(), key.layout.height(), key.size.width(), key.size.height(),
          key.corner.left, key.corner.top, key.corner.right, key.corner.bottom, int(key.hole)})
        hash = hash * 1000003u ^ std::hash<int>()(value);
    return hash;
}

PatchCache& PatchCache::Instance() {
    static PatchCache cache;
    return cache;
}

const QImage* PatchCache::Get(const QImage& picture, const Key& key) {
    if (key.layout.isEmpty()) return nullptr;
    return pictures_.Get(key, key.size, [&](QImage& drawn) {
        QPainter painter(&drawn);
        painter.scale(double(key.size.width()) / key.layout.width(),
                      double(key.size.height()) / key.layout.height());
        DrawPatches(painter, picture, key.source, QRect(QPoint(0, 0), key.layout), key.corner,
                    key.hole);
    });
}

void DrawPatches(QPainter& painter, const QImage& picture, const QRect& source, const QRect& dest,
                 const UiRect& corner, bool hole) {
    if (corner.left <= 0 && corner.top <= 0 && corner.right <= 0 && corner.bottom <= 0) {
        painter.drawImage(dest, picture, source);
        return;
    }
    // Corners may not be larger than what they cut from, on either side.
    int l = std::clamp(corner.left, 0, std::min(source.width(), dest.width()));
    int r = std::clamp(corner.right, 0, std::min(source.width(), dest.width()) - l);
    int t = std::clamp(corner.top, 0, std::min(source.height(), dest.height()));
    int b = std::clamp(corner.bottom, 0, std::min(source.height(), dest.height()) - t);
    const int sx[4] = {source.left(), source.left() + l, source.left() + source.width() - r,
                       source.left() + source.width()};
    const int sy[4] = {source.top(), source.top() + t, source.top() + source.height() - b,
                       source.top() + source.height()};
    const int dx[4] = {dest.left(), dest.left() + l, dest.left() + dest.width() - r,
                       dest.left() + dest.width()};
    const int dy[4] = {dest.top(), dest.top() + t, dest.top() + dest.height() - b,
                       dest.top() + dest.height()};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (hole && row == 1 && column == 1) continue;
            QRect from(sx[column], sy[row], sx[column + 1] - sx[column], sy[row + 1] - sy[row]);
            QRect to(dx[column], dy[row], dx[column + 1] - dx[column], dy[row + 1] - dy[row]);
            if (from.isEmpty() || to.isEmpty()) continue;
            painter.drawImage(to, picture, from);
        }
    }
}

}  // namespace vivori::ui
