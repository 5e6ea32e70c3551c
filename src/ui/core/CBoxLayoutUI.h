#pragma once

#include "ui/core/CContainerUI.h"

namespace vivori::ui {

// Lays its children out in a row or a column: fixed sizes first, the space left over
// shared among children without a fixed size, child padding between them, each child's
// own padding around it. Floating children are placed at their own position.
class CBoxLayoutUI : public CContainerUI {
  public:
    explicit CBoxLayoutUI(bool vertical) : vertical_(vertical) {}

    void SetPos(const UiRect& rect, bool needInvalidate = true) override;

  private:
    // Places the children in rect and returns the length they need along the axis.
    int Arrange(const UiRect& rect, bool place);

    bool vertical_;
};

}  // namespace vivori::ui
