#include "controls/CHandImgButtonUI.h"

#include "controls/HoverNotify.h"

namespace vivori::controls {

void* CHandImgButtonUI::GetInterface(std::string_view name) {
    if (name == "HandImgButton") return this;
    return CButtonUI::GetInterface(name);
}

void CHandImgButtonUI::DoEvent(ui::TEventUI& event) {
    NotifyHover(*this, event);
    CButtonUI::DoEvent(event);
}

void CHandImgButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "handimage") {
        handImage_ = value;
        Invalidate();
    } else if (name == "deletenormalimage") {
        deleteNormalImage_ = value;
    } else if (name == "deletehotimage") {
        deleteHotImage_ = value;
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CHandImgButtonUI::PaintStatusImage(ui::IRender& render) {
    CButtonUI::PaintStatusImage(render);
    if (handImage_.empty()) return;
    // The picture's "dest" is relative to the button and never paints outside it.
    render.PushClip(pos_);
    DrawImage(render, handImage_);
    render.PopClip();
}

}  // namespace vivori::controls
