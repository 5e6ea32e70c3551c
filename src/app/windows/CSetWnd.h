#pragma once

// The settings window: the language list, and the container the update page fills.
// Choosing a language tells the owner (message 3089 with the language index), which
// applies it to every open window.

#include <string>
#include <vector>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

class CSetWnd : public ui::WindowImplBase {
  public:
    // `languageTexts`: the caption key of each language, in index order.
    CSetWnd(std::vector<std::string> languageTexts, int currentLanguage)
        : languageTexts_(std::move(languageTexts)), currentLanguage_(currentLanguage) {}

    // A new settings window owned by `owner`, shown and centred; it deletes itself when
    // closed. 0 when the layout cannot be built.
    static ui::HWND Open(ui::HWND owner, std::vector<std::string> languageTexts,
                         int currentLanguage, int dpi);

    std::string GetSkinFile() override { return "setwnd.xml"; }
    std::string_view GetWindowClassName() const override { return "SetWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;
    // 48, 72, 96, 120, 144, 168 or 192; anything else is taken as 96.
    void SetDpi(int dpi);

  private:
    std::vector<std::string> languageTexts_;
    int currentLanguage_;
};

}  // namespace vivori::app
