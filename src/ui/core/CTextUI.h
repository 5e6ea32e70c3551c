#pragma once

#include "ui/core/CLabelUI.h"

namespace vivori::ui {

// A label for longer text: it wraps at word boundaries and starts at the top.
class CTextUI : public CLabelUI {
  public:
    CTextUI() { textStyle_ = kTextWordBreak; }
    std::string_view GetClass() const override { return "TextUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "Text" ? this : CLabelUI::GetInterface(name);
    }
};

}  // namespace vivori::ui
