#pragma once

#include <string>

#include "ui/core/CListContainerElementUI.h"

namespace vivori::panels {

// One row of the update list: a tick box with the item's name, its installed and
// available versions, and its state (0-8), shown as a text, a progress bar or a done mark.
class CUpdateInfoListItemUI : public ui::CListContainerElementUI {
  public:
    static constexpr std::string_view kLayout = "XML/CustomControlXML/device_Update_list_item.xml";

    std::string_view GetClass() const override { return "UpdateInfoListItemUI"; }
    // Builds the row's children from its layout; false when the layout is missing.
    bool Build(ui::CPaintManagerUI* manager);

    int State() const { return state_; }
    // Setting the state it has does nothing.
    void SetState(int state);
    void SetProgress(int percent);
    void SetTexts(const std::string& name, const std::string& current,
                  const std::string& available);
    ui::CControlUI* Child(std::string_view name) const;
    bool Ticked() const;
    void SetTicked(bool ticked);
    void SetTickable(bool enabled);

  private:
    int state_ = -1;
};

}  // namespace vivori::panels
