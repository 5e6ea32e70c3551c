#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/core/WindowImplBase.h"
#include "ui/message/Messages.h"

namespace vivori::ui::testing {

// The gallery layout in a headless window, recording every notification as
// "type:sender".
class GalleryWindow : public WindowImplBase {
  public:
    std::string GetSkinFile() override { return skin; }
    std::string_view GetWindowClassName() const override { return "GalleryWnd"; }
    void Notify(TNotifyUI& msg) override {
        notes.push_back(msg.sType + ":" + (msg.pSender != nullptr ? msg.pSender->GetName() : ""));
        WindowImplBase::Notify(msg);
    }

    // Presses and releases the left button over the middle of the control.
    void Click(std::string_view name, unsigned keyState = 0) {
        UiPoint point = Centre(name);
        pm_.HandleMouseMove(point);
        pm_.HandleButtonDown(point, keyState);
        pm_.HandleButtonUp(point, keyState);
    }
    UiPoint Centre(std::string_view name) {
        pm_.LayoutIfNeeded();
        CControlUI* control = pm_.FindControl(name);
        if (control == nullptr) return {-1, -1};
        const UiRect& rect = control->GetPos();
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    template <typename Control>
    Control* Find(std::string_view name) {
        return dynamic_cast<Control*>(pm_.FindControl(name));
    }
    // The notifications of these types, in order.
    std::vector<std::string> Notes(std::initializer_list<std::string_view> types) const {
        std::vector<std::string> picked;
        for (const std::string& note : notes) {
            for (std::string_view type : types) {
                if (note.compare(0, type.size() + 1, std::string(type) + ":") == 0)
                    picked.push_back(note);
            }
        }
        return picked;
    }

    std::string skin = "gallery.xml";
    std::vector<std::string> notes;
};

// Points the toolkit at the gallery's folder and loads its language file.
inline void UseGalleryResources() {
    CPaintManagerUI::SetResourcePath(VIVORI_GALLERY_DIR);
    CResourceManager::GetInstance().LoadResource("res.xml");
    CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
}

}  // namespace vivori::ui::testing
