#include "ui/qt/OffscreenSurface.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include "ui/qt/WindowRendering.h"

namespace vivori::ui {

OffscreenSurface::OffscreenSurface(UiSize pixels)
    : image_(std::make_unique<QImage>(pixels.cx, pixels.cy, QImage::Format_ARGB32_Premultiplied)) {}

OffscreenSurface::~OffscreenSurface() = default;

void OffscreenSurface::Paint(CPaintManagerUI& manager) {
    if (image_->isNull()) return;
    image_->fill(Qt::transparent);
    QPainter painter(image_.get());
    PaintWindowContent(painter, manager, image_->rect());
}

bool OffscreenSurface::SavePng(const std::string& path) const {
    if (image_->isNull()) return false;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!image_->save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace vivori::ui
