#pragma once

#include <filesystem>
#include <string_view>

#include "macros/RecoilPatterns.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::panels {

// The mouse page's recoil panel: four patterns of thirty bullets, each bullet a
// horizontal and a vertical pull and a delay, kept in the mouse's pattern files.
class CShootControlUI : public ui::CVerticalLayoutUI {
  public:
    std::string_view GetClass() const override { return "ShootControlUI"; }
    void* GetInterface(std::string_view name) override;

    // Where the user's and the default pattern files are; missing or unreadable user
    // files get the default copy, and pattern 0, bullet 0 are shown.
    void SetFolders(std::filesystem::path user, std::filesystem::path defaults);
    const std::filesystem::path& UserFolder() const { return user_; }
    const std::filesystem::path& DefaultFolder() const { return defaults_; }

    void SelectPattern(int pattern);
    void SelectBullet(int bullet);
    int Pattern() const { return pattern_; }
    int Bullet() const { return bullet_; }
    // The selected bullet from its file into the fields, and back.
    void LoadBullet();
    bool SaveBullet();
    // The direction checks' texts follow their state (left/right, up/down).
    void ShowAxisTexts();

  private:
    ui::CControlUI* Child(std::string_view name);
    bool Checked(std::string_view name);

    std::filesystem::path user_;
    std::filesystem::path defaults_;
    int pattern_ = 0;
    int bullet_ = 0;
};

}  // namespace vivori::panels
