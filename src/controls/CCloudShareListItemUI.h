#pragma once

#include "ui/core/CListContainerElementUI.h"

namespace vivori::controls {

// A row of the shared-profile list: framed while the pointer is over it, with its own
// context menu and activation notifications.
class CCloudShareListItemUI : public ui::CListContainerElementUI {
  public:
    std::string_view GetClass() const override { return "CloudShareListItemUI"; }
    void* GetInterface(std::string_view name) override;
    bool Activate() override;
    void DoEvent(ui::TEventUI& event) override;

  protected:
    void PaintBkColor(ui::IRender& render) override;
};

}  // namespace vivori::controls
