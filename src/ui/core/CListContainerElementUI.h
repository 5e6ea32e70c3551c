#pragma once

#include "ui/core/CHorizontalLayoutUI.h"
#include "ui/core/CListElementUI.h"

namespace vivori::ui {

// A list row that holds other controls, laid out in a row.
class CListContainerElementUI : public CListElementUI<CHorizontalLayoutUI> {
  public:
    std::string_view GetClass() const override { return "ListContainerElementUI"; }
    void* GetInterface(std::string_view name) override {
        return name == "ListContainerElement"
                   ? this
                   : CListElementUI<CHorizontalLayoutUI>::GetInterface(name);
    }
};

}  // namespace vivori::ui
