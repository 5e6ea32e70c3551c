#include "ui/qt/DrawnCache.h"

namespace vivori::ui {

DrawnCache& DrawnCache::Instance() {
    static DrawnCache cache;
    return cache;
}

void DrawnCache::Clear() {
    order_.clear();
    entries_.clear();
    bytes_ = 0;
}

const QImage* DrawnCache::Get(const std::string& key, QSize size,
                              const std::function<void(QImage&)>& draw) {
    if (size.isEmpty() || qsizetype(size.width()) * size.height() > kMaxPixels) return nullptr;
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
    while (bytes_ > kMaxBytes && order_.size() > 1) {
        bytes_ -= order_.back().second.sizeInBytes();
        entries_.erase(order_.back().first);
        order_.pop_back();
    }
    return &order_.front().second;
}

}  // namespace vivori::ui
