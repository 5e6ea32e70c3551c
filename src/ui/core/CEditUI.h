#pragma once

#include <string>

#include "ui/core/CLabelUI.h"

namespace vivori::ui {

// A one-line text field: caret, selection, a character limit and number-only input.
// Typing arrives as Char events (or InsertText from an input method); the host maps
// the clipboard onto GetSelectedText and InsertText.
class CEditUI : public CLabelUI {
  public:
    CEditUI();
    std::string_view GetClass() const override { return "EditUI"; }
    void* GetInterface(std::string_view name) override;

    // The limit counts characters, not bytes.
    int GetMaxChar() const { return maxChar_; }
    void SetMaxChar(int maxChar);
    bool IsNumberOnly() const { return numberOnly_; }
    void SetNumberOnly(bool numberOnly) { numberOnly_ = numberOnly; }
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool IsPasswordMode() const { return password_; }
    void SetPasswordMode(bool password) { password_ = password; }

    // Setting the text from code sends no "textchanged"; it is cut to the limit.
    void SetText(std::string_view text) override;
    std::string GetText() const override;
    int GetCaret() const { return caret_; }
    void SetSel(int start, int end);
    void SetSelAll() { SetSel(0, -1); }
    std::string GetSelectedText() const;
    // Replaces the selection with text as if typed: filtered, limited, "textchanged".
    bool InsertText(std::string_view text);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  protected:
    void PaintText(IRender& render) override;

  private:
    bool Accepts(char32_t c) const;
    void DeleteSelection();
    void Changed();

    std::u32string chars_;
    int maxChar_ = 255;
    bool numberOnly_ = false;
    bool readOnly_ = false;
    bool password_ = false;
    int caret_ = 0;
    int anchor_ = 0;
    UiColor nativeBkColor_ = 0;
};

// UTF-8 to code points and back; bytes that are not UTF-8 become U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace vivori::ui
