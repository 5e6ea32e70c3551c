#pragma once

// The profile panel of a device page: the drop-down of the device's profiles, the name
// field, the profile menu and the page's function tabs. The list itself and its rules
// are ProfileListModel's; the panel mirrors the model in its controls.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "profiles/ProfileListModel.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
class CComboUI;
}

namespace vivori::panels {

class CDeviceProfileUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr int kTabCount = 8;

    std::string_view GetClass() const override { return "DeviceProfileUI"; }
    void* GetInterface(std::string_view name) override;

    void SetFolders(std::filesystem::path userDeviceFolder,
                    std::filesystem::path defaultProfilePath);
    // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset (4-6: further kinds of the tab table).
    void SetDeviceKind(int kind) { deviceKind_ = kind; }
    int DeviceKind() const { return deviceKind_; }

    // Loads or creates the list, fills the drop-down, selects the stored profile
    // (without notifying) and applies the tab table.
    profiles::ProfileOutcome InitProfiles();
    // Selects row `index`; the drop-down notifies only when `notify` is set.
    profiles::ProfileOutcome SelectProfile(int index, bool notify);
    int GetSelectedIndex() const;
    std::string GetSelectedUUID() const;
    std::string GetNameText() const;
    // The selected profile's name; empty without one.
    std::string GetSelectedName() const;
    void SetNameText(std::string_view text);
    void ShowProfileMenu(bool show);
    bool IsProfileMenuShown() const;
    int GetProfileCount();
    std::optional<std::filesystem::path> GetProfilePathAt(int index) const;

    profiles::ProfileOutcome AddProfile();
    profiles::ProfileOutcome CopyProfile();
    profiles::ProfileOutcome DeleteProfile();
    profiles::ProfileOutcome RenameProfile(std::string_view name);
    profiles::ProfileOutcome ImportProfile(const std::filesystem::path& path);
    profiles::ProfileOutcome ExportProfile(const std::filesystem::path& path, bool overwrite);
    profiles::ProfileOutcome ResetProfile();
    // Selects the tab of page n (1-8) and clears the others; any other n clears all.
    void SelectTab(int page);

    // Re-reads the list, which another program may have changed, and shows it when it
    // differs from what is shown. `selection`: another profile is selected now, which
    // the device must load. Reading changes nothing, so the panel's own writes come
    // back as no change.
    struct ListChange {
        bool shown = false;
        bool selection = false;
    };
    ListChange FollowList();

    const profiles::ProfileListModel* Model() const { return model_.get(); }

  private:
    ui::CControlUI* Child(std::string_view name) const;
    ui::CComboUI* Combo() const;
    // The drop-down rebuilt from the model (another process may have changed the list),
    // with the model's selection shown in it and in the name field.
    void Fill();
    void ApplyTabTable();
    profiles::ProfileOutcome Run(profiles::ProfileOutcome outcome);

    std::filesystem::path userDeviceFolder_;
    std::filesystem::path defaultProfilePath_;
    int deviceKind_ = 0;
    std::unique_ptr<profiles::ProfileListModel> model_;
};

}  // namespace vivori::panels
