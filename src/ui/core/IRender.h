#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/core/UiTypes.h"

namespace vivori::ui {

// Text layout flags, with the values layouts and callers already know.
inline constexpr unsigned kTextLeft = 0x0000;
inline constexpr unsigned kTextCenter = 0x0001;
inline constexpr unsigned kTextRight = 0x0002;
inline constexpr unsigned kTextTop = 0x0000;
inline constexpr unsigned kTextVCenter = 0x0004;
inline constexpr unsigned kTextBottom = 0x0008;
inline constexpr unsigned kTextWordBreak = 0x0010;
inline constexpr unsigned kTextSingleLine = 0x0020;
inline constexpr unsigned kTextEndEllipsis = 0x8000;
// Show all of the text in its rectangle: on two lines, and at a smaller size, when one
// line at the layout's size is too wide (key caps, whose labels vary by language).
inline constexpr unsigned kTextFit = 0x10000;

// One image reference of a layout: a bare file name, or "file='a.png' source='0,0,10,10'
// dest='…' corner='…' fade='200' mask='#FFFF00FF'".
struct ImageDrawInfo {
    std::string file;
    UiRect source;  // empty: the whole image
    UiRect dest;    // relative to the control; empty: the whole control
    UiRect corner;  // nine-patch margins
    int fade = 255;
    UiColor mask = 0;
    bool hole = false;
    bool valid = false;
};

ImageDrawInfo ParseImageString(std::string_view text);
// The same, parsed once per string and thread: the controls draw the same few image
// strings many times a second. Valid until the next call.
const ImageDrawInfo& ParsedImageString(std::string_view text);
// The image string with its file replaced by `file` (a path); the rest ("dest",
// "source", ...) stays as the layout gave it. Without a file in it: just the file.
std::string WithImageFile(std::string_view image, std::string_view file);

// A piece of a painted picture kept to be drawn again, as the surface that made it
// stores it.
class IRenderLayer {
  public:
    virtual ~IRenderLayer() = default;
};

// The painting surface controls draw on. The headless core never paints; the Qt host
// implements this over QPainter, and tests may record the calls.
class IRender {
  public:
    virtual ~IRender() = default;
    virtual void PushClip(const UiRect& rect) = 0;
    virtual void PopClip() = 0;
    virtual void FillRect(const UiRect& rect, UiColor color) = 0;
    virtual void DrawBorder(const UiRect& rect, UiColor color, int size, UiSize round) = 0;
    virtual void DrawLine(UiPoint from, UiPoint to, UiColor color, int width) = 0;
    virtual void FillEllipse(const UiRect& rect, UiColor color) = 0;
    // A pie slice; angles in degrees, counter-clockwise from three o'clock.
    virtual void FillPie(const UiRect& rect, double startAngle, double spanAngle,
                         UiColor color) = 0;
    // False when the image cannot be loaded; the control then paints without it.
    virtual bool DrawImage(const UiRect& controlRect, const ImageDrawInfo& image) = 0;
    // The image recoloured with a tint word packed R | B << 8 | G << 16, at a brightness
    // level 0-4; "off" draws it dimmed.
    virtual bool DrawTintedImage(const UiRect& controlRect, const ImageDrawInfo& image,
                                 std::uint32_t tint, int level, bool on) = 0;
    virtual void DrawText(const UiRect& rect, std::string_view text, UiColor color, int font,
                          unsigned style) = 0;
    virtual UiSize MeasureText(std::string_view text, int font) = 0;
    // What `paint` draws within rect, kept as a layer; null when this surface keeps
    // none (the caller then paints as usual).
    virtual std::unique_ptr<IRenderLayer> CaptureLayer(const UiRect& rect,
                                                       const std::function<void(IRender&)>& paint) {
        (void)rect;
        (void)paint;
        return nullptr;
    }
    // The layer drawn back where it was made; false when it no longer fits this surface
    // (another scale).
    virtual bool DrawLayer(const IRenderLayer& layer) {
        (void)layer;
        return false;
    }
};

// Fixed-width estimate for text measurement where no renderer is at hand (headless
// layout): wide enough for Latin text at the default size, never zero for non-empty text.
UiSize EstimateTextSize(std::string_view text, int fontSize);

}  // namespace vivori::ui
