#include "ui/qt/CRenderEngine.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainterPath>
#include <initializer_list>
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/DrawnCache.h"
#include "ui/qt/ImageCache.h"
#include "ui/qt/PatchCache.h"

namespace vivori::ui {
namespace {

QRect ToQRect(const UiRect& rect) {
    return QRect(rect.left, rect.top, rect.Width(), rect.Height());
}

QColor ToQColor(UiColor color) {
    return QColor::fromRgba(color);
}

// Where an image string puts its picture: "dest" counts from the control's top-left
// corner and stays inside the control; without it the whole control.
QRect DestinationOf(const UiRect& control, const ImageDrawInfo& image) {
    if (image.dest.IsEmpty()) return ToQRect(control);
    UiRect dest = image.dest;
    dest.Offset(control.left, control.top);
    return ToQRect(dest.Intersect(control));
}

// The part of the image to draw: "source" limited to the image, else all of it.
QRect SourceOf(const QImage& picture, const ImageDrawInfo& image) {
    QRect whole = picture.rect();
    if (image.source.IsEmpty()) return whole;
    return ToQRect(image.source).intersected(whole);
}

// Where a layout rectangle lands in device pixels, when the painter only scales and
// moves; a rotated or sheared painter has no such rectangle.
std::optional<QRect> DeviceRect(const QPainter& painter, const QRect& dest) {
    const QTransform& transform = painter.worldTransform();
    if (transform.type() > QTransform::TxScale) return std::nullopt;
    const QRectF mapped = transform.mapRect(QRectF(dest));
    const QPoint topLeft(qRound(mapped.left()), qRound(mapped.top()));
    const QPoint end(qRound(mapped.right()), qRound(mapped.bottom()));
    return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

// Blits an image of device pixels at a device position, whatever the painter's scale.
void DrawDevicePixels(QPainter& painter, QPoint at, const QImage& image) {
    if (painter.worldTransform().type() == QTransform::TxNone) {
        painter.drawImage(at, image);
        return;
    }
    const QTransform saved = painter.worldTransform();
    painter.setWorldTransform(QTransform());
    painter.drawImage(at, image);
    painter.setWorldTransform(saved);
}

// The picture stretched to dest, from the patch cache; null when it is not kept there.
const QImage* Stretched(const QPainter& painter, const QImage& picture, const QRect& source,
                        const QRect& dest, const UiRect& corner, bool hole, QRect& device) {
    const std::optional<QRect> mapped = DeviceRect(painter, dest);
    if (!mapped || mapped->isEmpty()) return nullptr;
    device = *mapped;
    return PatchCache::Instance().Get(
        picture, {picture.cacheKey(), source, dest.size(), device.size(), corner, hole});
}

bool IsNinePatch(const UiRect& corner) {
    return corner.left > 0 || corner.top > 0 || corner.right > 0 || corner.bottom > 0;
}

// Draws a picture as a layout places it: stretched pictures come ready from the cache.
void DrawPlaced(QPainter& painter, const QImage& picture, const QRect& source, const QRect& dest,
                const UiRect& corner, bool hole) {
    const bool stretched = IsNinePatch(corner) || source.size() != dest.size() ||
                           painter.worldTransform().type() != QTransform::TxNone;
    QRect device;
    if (stretched) {
        if (const QImage* ready = Stretched(painter, picture, source, dest, corner, hole, device)) {
            DrawDevicePixels(painter, device.topLeft(), *ready);
            return;
        }
    }
    DrawPatches(painter, picture, source, dest, corner, hole);
}

// Premultiplied colour times alpha, rounded as the raster engine's own source-in fill.
inline quint32 ByteMul(quint32 x, quint32 a) {
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

// The shape's alpha filled with an opaque colour: what a source-in fill of the colour
// over the shape gives, without a painter.
void FillShape(const QImage& shape, QRgb colour, QImage& out) {
    if (out.size() != shape.size() || out.format() != QImage::Format_ARGB32_Premultiplied)
        out = QImage(shape.size(), QImage::Format_ARGB32_Premultiplied);
    const quint32 opaque = colour | 0xFF000000u;
    // The sizes and rows are taken once: QImage's accessors are calls, not inlined, and
    // this loop runs for every pixel of every key at each light step.
    const int width = shape.width();
    const int height = shape.height();
    const qsizetype fromStride = shape.bytesPerLine();
    const qsizetype toStride = out.bytesPerLine();
    const uchar* fromBits = shape.constBits();
    uchar* toBits = out.bits();
    for (int y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(fromBits + y * fromStride);
        auto* to = reinterpret_cast<QRgb*>(toBits + y * toStride);
        // Most pixels of a light's shape are clear or solid: no multiply for those.
        for (int x = 0; x < width; ++x) {
            const quint32 alpha = qAlpha(from[x]);
            to[x] = alpha == 0 ? 0u : alpha == 255 ? opaque : ByteMul(opaque, alpha);
        }
    }
}

// An image string resolved for drawing: the picture and where it goes.
struct PlacedImage {
    const QImage* picture = nullptr;
    QRect source;
    QRect dest;
    bool IsEmpty() const { return source.isEmpty() || dest.isEmpty(); }
};

// Null when the image cannot be loaded.
std::optional<PlacedImage> Place(const UiRect& control, const ImageDrawInfo& image) {
    if (!image.valid) return std::nullopt;
    const QImage* picture = ImageCache::Instance().Get(image.file, image.mask);
    if (picture == nullptr) return std::nullopt;
    return PlacedImage{picture, SourceOf(*picture, image), DestinationOf(control, image)};
}

using FontKey = std::tuple<std::string, int, bool, bool, bool>;

// Never destroyed: a font released after the application object has gone reaches
// into font-engine state that is gone too, and crashes the exit.
std::map<FontKey, QFont>& FontCache() {
    static auto* cache = new std::map<FontKey, QFont>;
    return *cache;
}

// A drawn picture's cache key: its kind and the numbers it was drawn from. Built by
// appends: g++ 12 at -O3 takes "literal" + string for an overlapping copy.
std::string CacheKey(char kind, std::initializer_list<long> numbers) {
    std::string key(1, kind);
    for (long number : numbers) key.append(std::to_string(number)).append(",");
    return key;
}

int AlignmentFlags(unsigned style) {
    int flags = Qt::AlignLeft;
    if ((style & kTextCenter) != 0) flags = Qt::AlignHCenter;
    if ((style & kTextRight) != 0) flags = Qt::AlignRight;
    if ((style & kTextVCenter) != 0) {
        flags |= Qt::AlignVCenter;
    } else if ((style & kTextBottom) != 0) {
        flags |= Qt::AlignBottom;
    } else {
        flags |= Qt::AlignTop;
    }
    if ((style & kTextWordBreak) != 0 && (style & kTextSingleLine) == 0) flags |= Qt::TextWordWrap;
    return flags;
}

}  // namespace

QColor DecodeTint(std::uint32_t tint) {
    return QColor(static_cast<int>(tint & 0xFF), static_cast<int>((tint >> 16) & 0xFF),
                  static_cast<int>((tint >> 8) & 0xFF));
}

double TintBrightness(int level) {
    // The devices' brightness table for levels 0-4.
    static constexpr int kLevels[] = {0, 80, 135, 195, 255};
    if (level <= 0) return 0.0;
    if (level <= 4) return kLevels[level] / 255.0;
    return std::min(level, 255) / 255.0;
}

CRenderEngine::CRenderEngine(QPainter& painter, const CPaintManagerUI& manager)
    : painter_(painter), manager_(manager) {}

CRenderEngine::~CRenderEngine() {
    // A control that returned early still leaves the painter as it found it.
    while (!clips_.empty()) PopClip();
}

void CRenderEngine::PushClip(const UiRect& rect) {
    // A clip already inside the rectangle stays as it is: the painter's save and
    // restore are the dearest part of painting a small area through many containers.
    const QRect wanted = ToQRect(rect);
    if (!clips_.empty() && wanted.contains(clips_.back().rect)) {
        clips_.push_back({clips_.back().rect, false});
        return;
    }
    painter_.save();
    painter_.setClipRect(wanted, Qt::IntersectClip);
    clips_.push_back({clips_.empty() ? wanted : wanted & clips_.back().rect, true});
}

void CRenderEngine::PopClip() {
    if (clips_.empty()) return;
    if (clips_.back().saved) painter_.restore();
    clips_.pop_back();
}

// True when the clip lies inside the part of rect a border of that size and corner
// radius leaves untouched: the border has nothing to draw there.
bool CRenderEngine::ClipInsideBorder(const UiRect& rect, int size, UiSize round) const {
    if (clips_.empty()) return false;
    const int insetX = size + std::max(round.cx, 0) / 2 + 1;
    const int insetY = size + std::max(round.cy, 0) / 2 + 1;
    const QRect inner = ToQRect(rect).adjusted(insetX, insetY, -insetX, -insetY);
    return !inner.isEmpty() && inner.contains(clips_.back().rect);
}

void CRenderEngine::FillRect(const UiRect& rect, UiColor color) {
    if (rect.IsEmpty()) return;
    painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void CRenderEngine::DrawBorder(const UiRect& rect, UiColor color, int size, UiSize round) {
    if (rect.IsEmpty() || size <= 0) return;
    if (ClipInsideBorder(rect, size, round)) return;
    if (round.cx <= 0 && round.cy <= 0) {
        // Four strips inside the rectangle: exact pixels, no antialiasing cost.
        int s = std::min({size, rect.Width(), rect.Height()});
        QColor c = ToQColor(color);
        painter_.fillRect(QRect(rect.left, rect.top, rect.Width(), s), c);
        painter_.fillRect(QRect(rect.left, rect.bottom - s, rect.Width(), s), c);
        painter_.fillRect(QRect(rect.left, rect.top + s, s, rect.Height() - 2 * s), c);
        painter_.fillRect(QRect(rect.right - s, rect.top + s, s, rect.Height() - 2 * s), c);
        return;
    }
    const double half = size / 2.0;
    auto stroke = [&](QPainter& painter, QPointF at) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ToQColor(color), size));
        painter.setBrush(Qt::NoBrush);
        const QRectF inner(at.x() + half, at.y() + half, rect.Width() - size, rect.Height() - size);
        painter.drawRoundedRect(inner, round.cx / 2.0, round.cy / 2.0);
    };
    // The stroke stays inside the rectangle, so it can be drawn once and blitted.
    const QRect dest = ToQRect(rect);
    if (const std::optional<QRect> device = DeviceRect(painter_, dest)) {
        const std::string key = CacheKey('b', {dest.width(), dest.height(), device->width(),
                                                device->height(), long(color), size, round.cx,
                                                round.cy});
        const QImage* drawn = DrawnCache::Instance().Get(key, device->size(), [&](QImage& image) {
            QPainter painter(&image);
            painter.scale(double(device->width()) / dest.width(),
                          double(device->height()) / dest.height());
            stroke(painter, QPointF(0, 0));
        });
        if (drawn != nullptr) {
            DrawDevicePixels(painter_, device->topLeft(), *drawn);
            return;
        }
    }
    painter_.save();
    stroke(painter_, QPointF(rect.left, rect.top));
    painter_.restore();
}

void CRenderEngine::DrawLine(UiPoint from, UiPoint to, UiColor color, int width) {
    painter_.save();
    painter_.setPen(QPen(ToQColor(color), std::max(width, 1)));
    painter_.drawLine(from.x, from.y, to.x, to.y);
    painter_.restore();
}

void CRenderEngine::FillEllipse(const UiRect& rect, UiColor color) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(color));
    painter_.drawEllipse(ToQRect(rect));
    painter_.restore();
}

void CRenderEngine::FillPie(const UiRect& rect, double startAngle, double spanAngle,
                            UiColor color) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(color));
    // Qt counts sixteenths of a degree, counter-clockwise from three o'clock too.
    painter_.drawPie(ToQRect(rect), static_cast<int>(startAngle * 16),
                     static_cast<int>(spanAngle * 16));
    painter_.restore();
}

bool CRenderEngine::DrawImage(const UiRect& controlRect, const ImageDrawInfo& image) {
    auto placed = Place(controlRect, image);
    if (!placed) return false;
    if (placed->IsEmpty()) return true;
    if (image.fade < 255) {
        painter_.save();
        painter_.setOpacity(painter_.opacity() * image.fade / 255.0);
    }
    DrawPlaced(painter_, *placed->picture, placed->source, placed->dest, image.corner, image.hole);
    if (image.fade < 255) painter_.restore();
    return true;
}

bool CRenderEngine::DrawTintedImage(const UiRect& controlRect, const ImageDrawInfo& image,
                                    std::uint32_t tint, int level, bool on) {
    auto placed = Place(controlRect, image);
    if (!placed) return false;
    if (placed->IsEmpty()) return true;
    const QImage& picture = *placed->picture;
    const QRect& source = placed->source;
    const QRect& dest = placed->dest;
    painter_.save();
    if (!on) {
        // Switched off: the plain image, dimmed.
        painter_.setOpacity(painter_.opacity() * 0.3);
        DrawPatches(painter_, picture, source, dest, image.corner, image.hole);
        painter_.restore();
        return true;
    }
    // The image's shape filled with the light colour at its brightness.
    QColor color = DecodeTint(tint);
    double brightness = TintBrightness(level);
    const QRgb fill = qRgb(static_cast<int>(color.red() * brightness),
                           static_cast<int>(color.green() * brightness),
                           static_cast<int>(color.blue() * brightness));
    if (image.fade < 255) painter_.setOpacity(painter_.opacity() * image.fade / 255.0);
    QRect device;
    if (const QImage* shape =
            Stretched(painter_, picture, source, dest, image.corner, image.hole, device)) {
        // Every key is tinted in each picture: one buffer serves them all.
        FillShape(*shape, fill, tinted_);
        DrawDevicePixels(painter_, device.topLeft(), tinted_);
        painter_.restore();
        return true;
    }
    QImage shape(dest.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter shapePainter(&shape);
        DrawPatches(shapePainter, picture, source, QRect(QPoint(0, 0), dest.size()), image.corner,
                    image.hole);
        shapePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        shapePainter.fillRect(shape.rect(), QColor(fill));
    }
    painter_.drawImage(dest.topLeft(), shape);
    painter_.restore();
    return true;
}

namespace {

// Device pixels where they were painted. Most layers under key caps are one flat
// colour, kept as just that; an opaque picture is blitted without blending.
class PixelLayer final : public IRenderLayer {
  public:
    QTransform transform;
    QRect device;
    QImage image;
    std::optional<QRgb> flat;
};

std::optional<QRgb> FlatColour(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] != first) return std::nullopt;
    }
    return first;
}

bool Opaque(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) != 255) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<IRenderLayer> CRenderEngine::CaptureLayer(
    const UiRect& rect, const std::function<void(IRender&)>& paint) {
    const QTransform& transform = painter_.worldTransform();
    if (transform.type() > QTransform::TxScale) return nullptr;
    const QRect device = transform.mapRect(QRectF(ToQRect(rect))).toAlignedRect();
    if (device.isEmpty()) return nullptr;
    auto layer = std::make_unique<PixelLayer>();
    layer->transform = transform;
    layer->device = device;
    layer->image = QImage(device.size(), QImage::Format_ARGB32_Premultiplied);
    layer->image.fill(Qt::transparent);
    {
        QPainter painter(&layer->image);
        painter.setRenderHints(painter_.renderHints());
        painter.setTransform(transform * QTransform::fromTranslate(-device.left(), -device.top()));
        CRenderEngine engine(painter, manager_);
        paint(engine);
    }
    if (Opaque(layer->image)) {
        layer->flat = FlatColour(layer->image);
        if (layer->flat)
            layer->image = QImage();
        else
            layer->image.convertTo(QImage::Format_RGB32);
    }
    return layer;
}

bool CRenderEngine::DrawLayer(const IRenderLayer& layer) {
    const auto* pixels = dynamic_cast<const PixelLayer*>(&layer);
    if (pixels == nullptr || pixels->transform != painter_.worldTransform()) return false;
    if (pixels->flat) {
        const QTransform saved = painter_.worldTransform();
        painter_.setWorldTransform(QTransform());
        painter_.fillRect(pixels->device, QColor::fromRgba(*pixels->flat));
        painter_.setWorldTransform(saved);
    } else {
        DrawDevicePixels(painter_, pixels->device.topLeft(), pixels->image);
    }
    return true;
}

QFont CRenderEngine::MakeFont(const FontInfo& info) {
    QFont font(QString::fromStdString(info.face));
    // Layout font sizes are pixel heights.
    font.setPixelSize(std::clamp(info.size, 1, 400));
    font.setBold(info.bold);
    font.setUnderline(info.underline);
    font.setItalic(info.italic);
    return font;
}

const QFont& CRenderEngine::FontFor(int id) {
    const FontInfo* info = manager_.GetFont(id);
    if (info == nullptr) info = &manager_.GetDefaultFont();
    FontKey key{info->face, info->size, info->bold, info->underline, info->italic};
    auto& cache = FontCache();
    auto found = cache.find(key);
    if (found == cache.end()) found = cache.emplace(key, MakeFont(*info)).first;
    return found->second;
}

void CRenderEngine::DrawText(const UiRect& rect, std::string_view text, UiColor color, int font,
                             unsigned style) {
    if (rect.IsEmpty() || text.empty()) return;
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QRect box = ToQRect(rect);
    // The font, wrapping and text as drawn: a label that must fit is measured to fit.
    auto layOut = [&](QFont& qfont, int& flags, QString& drawn) {
        qfont = FontFor(font);
        flags = AlignmentFlags(style);
        drawn = shown;
        if ((style & kTextFit) != 0) {
            const FittedText fitted = FitText(qfont, box.size(), shown);
            qfont = fitted.font;
            if (fitted.wrap) flags = (flags & ~Qt::TextSingleLine) | Qt::TextWordWrap;
        } else if ((style & kTextEndEllipsis) != 0 && (style & kTextWordBreak) == 0) {
            drawn = QFontMetrics(qfont).elidedText(shown, Qt::ElideRight, rect.Width());
        }
    };
    // Laying text out costs far more than a blit of it, and labels repaint often (the
    // key caps under a light preview): drawn once, clipped to its box as drawText
    // clips it, then blitted.
    if (const std::optional<QRect> device = DeviceRect(painter_, box)) {
        const FontInfo* info = manager_.GetFont(font);
        if (info == nullptr) info = &manager_.GetDefaultFont();
        std::string key =
            CacheKey('t', {box.width(), box.height(), device->width(), device->height(),
                           long(color), long(style), info->size, info->bold, info->underline,
                           info->italic});
        key.append(info->face).append(":").append(text.data(), text.size());
        const QImage* drawn = DrawnCache::Instance().Get(key, device->size(), [&](QImage& image) {
            QFont qfont;
            int flags = 0;
            QString laid;
            layOut(qfont, flags, laid);
            QPainter painter(&image);
            painter.scale(double(device->width()) / box.width(),
                          double(device->height()) / box.height());
            painter.setFont(qfont);
            painter.setPen(ToQColor(color));
            painter.drawText(QRect(QPoint(0, 0), box.size()), flags, laid);
        });
        if (drawn != nullptr) {
            DrawDevicePixels(painter_, device->topLeft(), *drawn);
            return;
        }
    }
    QFont qfont;
    int flags = 0;
    QString laid;
    layOut(qfont, flags, laid);
    painter_.setFont(qfont);
    painter_.setPen(ToQColor(color));
    painter_.drawText(box, flags, laid);
}

CRenderEngine::FittedText CRenderEngine::FitText(const QFont& font, QSize box,
                                                 const QString& text) {
    const int from = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    FittedText fitted{font, false, true};
    for (int size = from; size >= std::min(from, kMinFitPixels); --size) {
        fitted.font.setPixelSize(size);
        const QFontMetrics metrics(fitted.font);
        if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height()) {
            fitted.wrap = false;
            return fitted;
        }
        // Two lines at most: a third would not be read on a key cap. A line is as high
        // as its tallest glyph's font (a fallback font for Chinese is taller).
        const QRect wrapped = metrics.boundingRect(QRect(0, 0, box.width(), 1 << 20),
                                                   Qt::AlignLeft | Qt::TextWordWrap, text);
        const int line = metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft, text)
                             .height();
        if (wrapped.width() <= box.width() && wrapped.height() <= box.height() &&
            wrapped.height() <= 2 * line) {
            fitted.wrap = true;
            return fitted;
        }
    }
    fitted.fits = false;
    fitted.wrap = true;
    return fitted;
}

UiSize CRenderEngine::MeasureText(std::string_view text, int font) {
    QFontMetrics metrics(FontFor(font));
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return {metrics.horizontalAdvance(shown), metrics.height()};
}

UiSize CRenderEngine::MeasureWrappedText(std::string_view text, int font, int width) {
    QFontMetrics metrics(FontFor(font));
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QRect box = metrics.boundingRect(QRect(0, 0, std::max(width, 1), 1 << 20),
                                           Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    return {box.width(), box.height()};
}

}  // namespace vivori::ui
