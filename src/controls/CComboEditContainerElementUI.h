#pragma once

#include "ui/core/CListContainerElementUI.h"

namespace vivori::controls {

// A macro event row whose content comes from its own layout file: two texts and an
// edit for the delay.
class CComboEditContainerElementUI : public ui::CListContainerElementUI {
  public:
    static constexpr const char* kLayout = "XML/CustomControlXML/ComboEditElementItem.xml";

    std::string_view GetClass() const override { return "ComboEditContainerElement"; }
    void* GetInterface(std::string_view name) override;
    void DoInit() override;
    void DoEvent(ui::TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

    ui::CControlUI* Text1() const { return text1_; }
    ui::CControlUI* Text2() const { return text2_; }
    ui::CControlUI* DelayEdit() const { return delayEdit_; }

  protected:
    void PaintStatusImage(ui::IRender& render) override { (void)render; }

  private:
    // Where an event this row does not take goes: the owner list, else the container.
    void PassOn(ui::TEventUI& event);

    ui::CControlUI* text1_ = nullptr;
    ui::CControlUI* text2_ = nullptr;
    ui::CControlUI* delayEdit_ = nullptr;
};

}  // namespace vivori::controls
