#include "controls/CWndUI.h"

namespace vivori::controls {

void* CWndUI::GetInterface(std::string_view name) {
    if (name == "Wnd") return this;
    return CControlUI::GetInterface(name);
}

void CWndUI::Attach(ui::IWindowHost* hosted, const ui::IWindowHost* owner) {
    hosted_ = hosted;
    owner_ = owner;
    Follow();
}

void CWndUI::SetPos(const ui::UiRect& rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    Follow();
}

void CWndUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    Follow();
}

void CWndUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    Follow();
}

void CWndUI::Follow() {
    if (hosted_ == nullptr) return;
    if (manager_ != nullptr) {
        ui::UiRect rect = pos_;
        if (owner_ != nullptr) {
            const ui::UiRect screen = owner_->GetRect();
            rect = {rect.left + screen.left, rect.top + screen.top, rect.right + screen.left,
                    rect.bottom + screen.top};
        }
        hosted_->SetRect(rect);
    }
    hosted_->Show(IsVisible(), false);
}

}  // namespace vivori::controls
