#pragma once

#include "ui/core/CBoxLayoutUI.h"

namespace vivori::ui {

class CVerticalLayoutUI : public CBoxLayoutUI {
  public:
    CVerticalLayoutUI() : CBoxLayoutUI(true) {}
    std::string_view GetClass() const override { return "VerticalLayoutUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "VerticalLayout" ? this : CBoxLayoutUI::GetInterface(name);
    }
};

}  // namespace vivori::ui
