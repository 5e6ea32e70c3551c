#pragma once

#include <QImage>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace vivori::ui {

// Pictures drawn once and blitted after that, the least recently used dropped first
// within a byte budget; pictures over a pixel limit are not kept (they are painted
// rarely and would crowd out the small ones).
template <typename Key, typename Hash = std::hash<Key>>
class PictureLru {
  public:
    PictureLru(qsizetype maxBytes, qsizetype maxPixels)
        : maxBytes_(maxBytes), maxPixels_(maxPixels) {}

    // The picture for key, drawn by draw (into a transparent image of size) when it is
    // not kept yet; null when it is too large to keep.
    const QImage* Get(const Key& key, QSize size, const std::function<void(QImage&)>& draw) {
        if (size.isEmpty() || qsizetype(size.width()) * size.height() > maxPixels_) return nullptr;
        if (auto found = entries_.find(key); found != entries_.end()) {
            order_.splice(order_.begin(), order_, found->second);
            return &found->second->second;
        }
        QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        draw(drawn);
        bytes_ += drawn.sizeInBytes();
        order_.emplace_front(key, std::move(drawn));
        entries_.emplace(key, order_.begin());
        while (bytes_ > maxBytes_ && order_.size() > 1) {
            bytes_ -= order_.back().second.sizeInBytes();
            entries_.erase(order_.back().first);
            order_.pop_back();
        }
        return &order_.front().second;
    }
    void Clear() {
        order_.clear();
        entries_.clear();
        bytes_ = 0;
    }
    qsizetype Bytes() const { return bytes_; }

  private:
    using Entry = std::pair<Key, QImage>;
    qsizetype maxBytes_;
    qsizetype maxPixels_;
    std::list<Entry> order_;  // most recent first
    std::unordered_map<Key, typename std::list<Entry>::iterator, Hash> entries_;
    qsizetype bytes_ = 0;
};

}  // namespace vivori::ui
