#include "ui/qt/ImageCache.h"

#include <QImageReader>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "platform/Debug.h"
#include "ui/core/CResourceManager.h"

namespace vivori::ui {
namespace {

// A large picture of few colours (the window's background has about a hundred) kept
// as 8-bit indexes into its colour table: a quarter of the memory, the same pixels.
// The raster engine reads such a picture span by span, so a small repaint stays cheap.
QImage Compact(QImage image) {
    if (qsizetype(image.width()) * image.height() < ImageCache::kCompactPixels) return image;
    std::unordered_map<QRgb, uchar> indexes;
    QList<QRgb> plain;  // the colour table: colours as they are, not premultiplied
    QImage indexed(image.size(), QImage::Format_Indexed8);
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* to = indexed.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            auto [found, added] = indexes.try_emplace(from[x], uchar(indexes.size()));
            if (added) {
                if (indexes.size() > 256) return image;
                plain.push_back(qUnpremultiply(from[x]));
            }
            to[x] = found->second;
        }
    }
    indexed.setColorTable(plain);
    // Only when it reads back as the very same pixels (premultiplying is not lossless).
    if (indexed.convertToFormat(QImage::Format_ARGB32_Premultiplied) != image) return image;
    return indexed;
}

QImage Load(const std::string& path, UiColor mask) {
    const char* file = path.c_str();
    // Opening a FIFO or a device would wait for a writer that never comes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        DebugPrintf("image %s: not a regular file", file);
        return {};
    }
    QImageReader reader(QString::fromStdString(path));
    QSize size = reader.size();
    if (size.width() > ImageCache::kMaxSide || size.height() > ImageCache::kMaxSide) {
        DebugPrintf("image %s: too large", file);
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) {
        DebugPrintf("image %s: %s", file, reader.errorString().toStdString().c_str());
        return {};
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (mask != 0) {
        // The mask colour marks pixels that are not part of the picture.
        QRgb key = mask | 0xFF000000u;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if ((line[x] | 0xFF000000u) == key && qAlpha(line[x]) == 0xFF) line[x] = 0;
            }
        }
    }
    return Compact(std::move(image));
}

}  // namespace

ImageCache& ImageCache::Instance() {
    static ImageCache cache;
    return cache;
}

const QImage* ImageCache::Get(const std::string& file, UiColor mask) {
    if (file.empty()) return nullptr;
    // By full path, so a changed resource folder (another skin) reads its own files.
    auto key = std::make_pair(CResourceManager::ResolvePath(file), mask);
    auto found = images_.find(key);
    if (found == images_.end()) found = images_.emplace(key, Load(key.first, mask)).first;
    return found->second.isNull() ? nullptr : &found->second;
}

}  // namespace vivori::ui
