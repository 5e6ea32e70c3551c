#include "ui/qt/WindowRendering.h"

#include <QPainter>
#include <cmath>
#include <vector>

#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/CRenderEngine.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::ui {

double WindowScale(const CPaintManagerUI& manager) {
    return manager.GetDPI() / 96.0;
}

QRect RepaintPixels(const UiRect& rect, double scale) {
    return QRect(static_cast<int>(std::floor(rect.left * scale)),
                 static_cast<int>(std::floor(rect.top * scale)),
                 static_cast<int>(std::ceil(rect.Width() * scale)) + 1,
                 static_cast<int>(std::ceil(rect.Height() * scale)) + 1);
}

void PaintWindowContent(QPainter& painter, CPaintManagerUI& manager, const QRect& pixelRect) {
    PaintWindowContent(painter, manager, QRegion(pixelRect));
}

void PaintWindowContent(QPainter& painter, CPaintManagerUI& manager, const QRegion& pixels) {
    double scale = WindowScale(manager);
    std::vector<UiRect> dirty;
    dirty.reserve(size_t(pixels.rectCount()));
    for (const QRect& pixelRect : pixels)
        dirty.push_back({static_cast<int>(std::floor(pixelRect.left() / scale)),
                         static_cast<int>(std::floor(pixelRect.top() / scale)),
                         static_cast<int>(std::ceil((pixelRect.right() + 1) / scale)),
                         static_cast<int>(std::ceil((pixelRect.bottom() + 1) / scale))});
    painter.save();
    painter.scale(scale, scale);
    {
        CRenderEngine engine(painter, manager);
        manager.Paint(engine, dirty);
    }
    painter.restore();
}

UiSize WindowPixels(CPaintManagerUI& manager) {
    manager.LayoutIfNeeded();
    UiSize size = manager.GetClientSize();
    if (size.cx <= 0 || size.cy <= 0) size = manager.GetInitSize();
    double scale = WindowScale(manager);
    return {static_cast<int>(std::lround(size.cx * scale)),
            static_cast<int>(std::lround(size.cy * scale))};
}

UiSize MeasureTextBox(const CPaintManagerUI& manager, std::string_view text, int font, int width) {
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    CRenderEngine engine(painter, manager);
    return engine.MeasureWrappedText(text, font, width);
}

QImage RenderWindow(CPaintManagerUI& manager) {
    OffscreenSurface surface(WindowPixels(manager));
    surface.Paint(manager);
    return surface.Image();
}

bool SaveWindowPng(CPaintManagerUI& manager, const std::string& path) {
    OffscreenSurface surface(WindowPixels(manager));
    surface.Paint(manager);
    return surface.SavePng(path);
}

}  // namespace vivori::ui
