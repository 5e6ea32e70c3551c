#include "ui/qt/WindowRendering.h"

#include <QPainter>
#include <QSaveFile>
#include <cmath>

#include "ui/core/CPaintManagerUI.h"
#include "ui/qt/CRenderEngine.h"

namespace vivori::ui {

double WindowScale(const CPaintManagerUI& manager) {
    return manager.GetDPI() / 96.0;
}

void PaintWindowContent(QPainter& painter, CPaintManagerUI& manager, const QRect& pixelRect) {
    double scale = WindowScale(manager);
    painter.save();
    painter.scale(scale, scale);
    UiRect dirty{static_cast<int>(std::floor(pixelRect.left() / scale)),
                 static_cast<int>(std::floor(pixelRect.top() / scale)),
                 static_cast<int>(std::ceil((pixelRect.right() + 1) / scale)),
                 static_cast<int>(std::ceil((pixelRect.bottom() + 1) / scale))};
    {
        CRenderEngine engine(painter, manager);
        manager.Paint(engine, dirty);
    }
    painter.restore();
}

QImage RenderWindow(CPaintManagerUI& manager) {
    manager.LayoutIfNeeded();
    UiSize size = manager.GetClientSize();
    if (size.cx <= 0 || size.cy <= 0) size = manager.GetInitSize();
    double scale = WindowScale(manager);
    QImage image(static_cast<int>(std::lround(size.cx * scale)),
                 static_cast<int>(std::lround(size.cy * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintWindowContent(painter, manager, image.rect());
    return image;
}

bool SaveWindowPng(CPaintManagerUI& manager, const std::string& path) {
    QImage image = RenderWindow(manager);
    if (image.isNull()) return false;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace vivori::ui
