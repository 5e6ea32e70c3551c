#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "input/HookTypes.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecorder.h"
#include "ui/core/CVerticalLayoutUI.h"

namespace vivori::ui {
class CEditUI;
class CListUI;
}  // namespace vivori::ui

namespace vivori::panels {

// The macro editor of the keyboard and mouse pages: the device's macro list on the
// left, the chosen macro's events on the right. It shows and edits; the main window's
// handlers decide when to record, save, upload and ask the user.
class CMacroControlUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr std::string_view kInterface = "MacroControl";

    CMacroControlUI();
    ~CMacroControlUI() override;
    std::string_view GetClass() const override { return "MacroControlUI"; }
    void* GetInterface(std::string_view name) override;

    // The device folder holding "macro.config" and the macro files; loads the list.
    void SetDeviceFolder(const std::filesystem::path& folder);
    bool HasFolder() const { return library_ != nullptr; }
    macros::MacroLibrary* Library() const { return library_.get(); }

    // ---- macros ----
    void LoadMacroList();
    // The new macro's identifier; empty when refused (the hint line says why).
    std::string AddMacro();
    void SelectMacro(int index);
    enum class RenameResult { Renamed, IsEmpty, Duplicate, Failed };
    RenameResult RenameMacro();
    // After the library removed the selected macro: the list follows, the events are
    // cleared, the first macro is selected (or the editing controls are disabled).
    void MacroDeleted();
    // Writes the selected macro from the event list; false when nothing was written.
    bool SaveMacro();
    // Adds the file as a new macro and selects it; the hint line says how it went.
    macros::MacroResult ImportMacro(const std::filesystem::path& path);
    macros::MacroResult ExportMacro(const std::filesystem::path& path, bool overwrite);
    int GetSelectedMacro() const;

    // ---- recording and editing ----
    void StartRecording(macros::TimingMode mode);
    void StopRecording();
    bool Recording() const { return recording_; }
    bool UsesConstantTime() const;
    void AddKeyEvent(std::uint32_t message, const input::KeyHookRecord& event,
                     macros::InsertPosition position);
    void AddMouseEvent(std::uint32_t message, const input::MouseHookRecord& event,
                       macros::InsertPosition position, bool insideStopButton);
    void InsertMouseAction(std::uint32_t message, int variant);
    void ReplaceKeyEvent(std::uint32_t message, const input::KeyHookRecord& event);
    void ReplaceMouseEvent(std::uint32_t message, const input::MouseHookRecord& event,
                           bool insideStopButton);
    bool MoveEventUp();
    bool MoveEventDown();
    bool MoveEventToTop();
    bool MoveEventToBottom();
    bool DeleteEvent();
    void DeleteAllEvents();
    // Rebuilds the event list from the selected macro's file.
    void LoadEvents();
    // A delay field lost the focus: its text is clamped to 0-65535 and taken.
    void DelayTyped(ui::CControlUI* field);
    // Shows a language text in the panel's hint line.
    void ShowNote(const std::string& textKey);
    // The hint for a refused macro operation: a language key, or the refusal's words.
    static std::string NoteOf(const macros::MacroResult& refused);

    const macros::MacroEventList& Events() const { return events_; }
    ui::CListUI* EventList() const;
    ui::CListUI* MacroList() const;

    // A control of this panel (every device page has its own editor, with the same names).
    ui::CControlUI* Find(std::string_view name) const;

  private:
    ui::CControlUI* MakeRow(const macros::EventRow& row) const;
    void InsertRow(size_t index);
    void ShowDelay(size_t index);
    void RebuildRow(size_t index);
    void RebuildRows();
    // The list's selection into the model before an edit, and back after it.
    void TakeSelection();
    void ShowSelection(bool scroll);
    // Reads every delay field into the model.
    void TakeDelays();
    void EnableMacroControls(bool enabled);
    uint16_t ReadConstantDelay();
    bool Moved(bool moved, int visibleOffset);

    std::unique_ptr<macros::MacroLibrary> library_;
    macros::MacroEventList events_;
    bool recording_ = false;
    bool listUnknownShown_ = false;  // the hint line says the list cannot be read
};

}  // namespace vivori::panels
