#pragma once

#include "ui/core/CLabelUI.h"
#include "ui/core/CListElementUI.h"

namespace vivori::ui {

// A list row that is a line of text.
class CListLabelElementUI : public CListElementUI<CLabelUI> {
  public:
    std::string_view GetClass() const override { return "ListLabelElementUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "ListLabelElement" ? this : CListElementUI<CLabelUI>::GetInterface(name);
    }

  protected:
    void PaintText(IRender& render) override;
};

}  // namespace vivori::ui
