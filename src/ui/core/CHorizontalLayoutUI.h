#pragma once

#include "ui/core/CBoxLayoutUI.h"

namespace vivori::ui {

class CHorizontalLayoutUI : public CBoxLayoutUI {
  public:
    CHorizontalLayoutUI() : CBoxLayoutUI(false) {}
    std::string_view GetClass() const override { return "HorizontalLayoutUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "HorizontalLayout" ? this : CBoxLayoutUI::GetInterface(name);
    }
};

}  // namespace vivori::ui
