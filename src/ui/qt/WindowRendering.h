#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <string>
#include <string_view>

#include "ui/core/UiTypes.h"

class QPainter;

namespace vivori::ui {

class CPaintManagerUI;

// Paints a window's controls onto a painter whose device is sized in screen pixels;
// pixelRect is the part to repaint. Layout units are scaled by the manager's DPI.
void PaintWindowContent(QPainter& painter, CPaintManagerUI& manager, const QRect& pixelRect);
// The same for a region: each of its rectangles painted on its own, as one picture.
void PaintWindowContent(QPainter& painter, CPaintManagerUI& manager, const QRegion& pixels);

// The whole window drawn into an image, without a screen (tests, screenshots).
QImage RenderWindow(CPaintManagerUI& manager);

// The window's size in screen pixels, laid out first.
UiSize WindowPixels(CPaintManagerUI& manager);
// The size of text broken into lines at width (layout units) in the manager's font.
UiSize MeasureTextBox(const CPaintManagerUI& manager, std::string_view text, int font, int width);
// The screen pixels to repaint for a layout rectangle: rounded out, and a pixel more
// for what antialiasing puts on its edge.
QRect RepaintPixels(const UiRect& rect, double scale);
// Screen pixels per layout unit for this manager's DPI.
double WindowScale(const CPaintManagerUI& manager);

}  // namespace vivori::ui
