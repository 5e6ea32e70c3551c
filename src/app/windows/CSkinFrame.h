#pragma once

// The background chooser: a frameless popup under the main window's "skinbtn" with
// image and colour pages, a reset and a custom image. It closes when it loses the
// focus. Choices go to the one subscriber (the main window) as a SkinChangedParam.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/core/WindowImplBase.h"

namespace vivori::app {

struct SkinChangedParam {
    bool isColour = false;
    std::uint32_t colour = 0;  // 0xAARRGGBB
    std::string image;         // relative to the skin folder, or a full path
};

class CSkinFrame : public ui::WindowImplBase {
  public:
    using Receiver = std::function<void(const SkinChangedParam&)>;
    // The process-wide subject: one receiver at a time.
    static void Subscribe(Receiver receiver);
    static void Publish(const SkinChangedParam& param);
    // Chooses the custom image instead of the file dialog (tests): true and the path
    // when one was chosen.
    using ImageChooser = std::function<bool(std::string* path)>;
    static void SetImageChooserForTests(ImageChooser chooser);

    // Opens the popup with its top right corner at the bottom right of `anchor` (a
    // control of `owner`'s window). It deletes itself when closed.
    // Drawn at the main window's dpi.
    static ui::HWND Open(ui::HWND owner, const ui::UiRect& anchorOnScreen, int dpi = 96);

    std::string GetSkinFile() override { return "skin.xml"; }
    std::string_view GetWindowClassName() const override { return "UISkinFrame"; }
    void Notify(ui::TNotifyUI& msg) override;
    ui::LRESULT HandleCustomMessage(ui::UINT msg, ui::WPARAM wParam, ui::LPARAM lParam,
                                    bool& handled) override;
    void OnFinalMessage(ui::HWND hwnd) override;

  private:
    void ShowPage(int page);

    bool choosingFile_ = false;  // the custom image's file dialog is open
};

}  // namespace vivori::app
