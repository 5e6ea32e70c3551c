#pragma once

#include "profiles/AudioStyles.h"
#include "ui/core/WindowImplBase.h"

namespace vivori::app {

// The modal audio style window: a tab per style, its name and its R, G, B levels.
// "okbtn" ends it with 1 (the set is then the user's), "closebtn" with 0.
class MusicWnd : public ui::WindowImplBase {
  public:
    explicit MusicWnd(profiles::AudioStyleSet set, int dpi = 96)
        : set_(std::move(set)), dpi_(dpi) {}

    std::string GetSkinFile() override { return "music.xml"; }
    std::string_view GetWindowClassName() const override { return "MusicWnd"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;

    ui::HWND CreateFor(ui::HWND owner);
    const profiles::AudioStyleSet& Set() const { return set_; }
    ui::UINT Result() const { return result_; }

  private:
    void ShowStyle(int style);

    profiles::AudioStyleSet set_;
    int dpi_;
    ui::UINT result_ = 0;
};

}  // namespace vivori::app
