#pragma once

#include <QFont>
#include <QPainter>
#include <vector>

#include "ui/core/IRender.h"

namespace vivori::ui {

class CPaintManagerUI;
struct FontInfo;

// The toolkit's painting interface over a QPainter: colours, borders, layout image
// strings, the tinted light images and text in the fonts of one paint manager. It
// paints in layout units; the window host scales the painter for the screen's DPI.
class CRenderEngine : public IRender {
  public:
    CRenderEngine(QPainter& painter, const CPaintManagerUI& manager);
    ~CRenderEngine() override;

    void PushClip(const UiRect& rect) override;
    void PopClip() override;
    void FillRect(const UiRect& rect, UiColor color) override;
    void DrawBorder(const UiRect& rect, UiColor color, int size, UiSize round) override;
    void DrawLine(UiPoint from, UiPoint to, UiColor color, int width) override;
    void FillEllipse(const UiRect& rect, UiColor color) override;
    void FillPie(const UiRect& rect, double startAngle, double spanAngle, UiColor color) override;
    bool DrawImage(const UiRect& controlRect, const ImageDrawInfo& image) override;
    bool DrawTintedImage(const UiRect& controlRect, const ImageDrawInfo& image, std::uint32_t tint,
                         int level, bool on) override;
    void DrawText(const UiRect& rect, std::string_view text, UiColor color, int font,
                  unsigned style) override;
    UiSize MeasureText(std::string_view text, int font) override;
    std::unique_ptr<IRenderLayer> CaptureLayer(const UiRect& rect,
                                               const std::function<void(IRender&)>& paint) override;
    bool DrawLayer(const IRenderLayer& layer) override;
    // The text broken into lines at width, as DrawText with word breaks draws it.
    UiSize MeasureWrappedText(std::string_view text, int font, int width);

    // The Qt font for an entry of the font table (the manager's default for an
    // unknown id).
    static QFont MakeFont(const FontInfo& info);

    // The font and wrapping that show all of `text` within `box`: the font as it is when
    // one line fits, else two lines, else the same at smaller sizes down to
    // kMinFitPixels. `fits` is false when even that is too large.
    struct FittedText {
        QFont font;
        bool wrap = false;
        bool fits = true;
    };
    static constexpr int kMinFitPixels = 8;
    static FittedText FitText(const QFont& font, QSize box, const QString& text);
    const QFont& FontFor(int id);

  private:
    bool ClipInsideBorder(const UiRect& rect, int size, UiSize round) const;

    QPainter& painter_;
    const CPaintManagerUI& manager_;
    struct Clip {
        QRect rect;  // the clip in layout units after this PushClip
        bool saved;  // whether it saved the painter (else the clip was already inside)
    };
    std::vector<Clip> clips_;
    QImage tinted_;
};

// The colour a tint word stands for: red in the low byte, then blue, then green.
QColor DecodeTint(std::uint32_t tint);
// The brightness factor 0-1 of a tint level: 0-4 are the device's brightness levels,
// larger values a brightness out of 255.
double TintBrightness(int level);

}  // namespace vivori::ui
