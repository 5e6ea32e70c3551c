#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "macros/AssignmentCodes.h"
#include "profiles/ProfileRecords.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
class CComboUI;
}

namespace vivori::panels {

// The key assignment panel of the keyboard and mouse pages: a function category and
// that category's values, turned into an assignment code and back. It holds the key
// being edited (its current and default code); the main window's handlers hand what it
// builds to the device.
class CKeySetControlUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr int kKindKeyboard = 1;
    static constexpr int kKindMouse = 2;

    std::string_view GetClass() const override { return "KeySetControlUI"; }
    void* GetInterface(std::string_view name) override;

    // Kind 1 (keyboard) offers no DPI and no recoil functions.
    void SetDeviceKind(int kind);
    int DeviceKind() const { return deviceKind_; }
    // The macro list, as "keyset_macro_combo" offers it.
    void SetMacroNames(const std::vector<std::string>& names);
    size_t MacroCount() const { return macroCount_; }

    // The key the user selected: its codes, shown.
    void ShowKey(const profiles::KeyListEntry& entry);
    void ShowAssignment(uint32_t code);
    // The key's entry made from the controls; it becomes the key's current code.
    profiles::KeyListEntry BuildAssignment();
    void RestoreDefault() { ShowAssignment(default_.Code()); }
    void Cancel() { ShowAssignment(current_.Code()); }
    void SetCaptured(uint32_t code) {
        current_ = profiles::KeyAssign::FromCode(current_.keyIndex, code);
    }
    bool HasKey() const { return hasKey_; }
    const profiles::KeyAssign& Current() const { return current_; }
    const profiles::KeyAssign& Default() const { return default_; }

    // The category list's choice: its page shows; the keyboard key category starts
    // with an empty key field and no modifier.
    void OnCategoryChosen();
    // The play-mode list's choice: the repeat count shows for the counted mode only.
    void OnPlayModeChosen();
    // A key captured while the key field has the focus (a row of the key code table):
    // a modifier selects its option and empties the key field; any other key fills
    // the key field. False for a key the panel does not take (not a keyboard key).
    bool CaptureKey(size_t keyRow);

    macros::AssignmentForm ReadForm();
    void ShowForm(const macros::AssignmentForm& form);
    // The key field's name again, in the language now chosen.
    void RefreshTexts() { ShowKeyName(keyUsage_); }

  private:
    ui::CControlUI* Child(std::string_view name);
    ui::CComboUI* Combo(std::string_view name);
    int Selection(std::string_view combo);
    void Select(std::string_view combo, int row);
    int Field(std::string_view edit);
    void SetField(std::string_view edit, int value);
    void SelectModifier(int option);
    int SelectedModifier();
    void ShowKeyName(int usage);

    int deviceKind_ = kKindKeyboard;
    size_t macroCount_ = 0;
    bool hasKey_ = false;
    profiles::KeyAssign current_;
    profiles::KeyAssign default_;
    int keyUsage_ = -1;  // the key field's key; -1 while it is empty
};

}  // namespace vivori::panels
