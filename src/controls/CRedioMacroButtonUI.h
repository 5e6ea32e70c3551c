#pragma once

#include <string>

#include "ui/core/CButtonUI.h"

namespace vivori::controls {

// A macro list button that also carries a "redioimage" for the page that shows it.
class CRedioMacroButtonUI : public ui::CButtonUI {
  public:
    std::string_view GetClass() const override { return "RedioMacroButton"; }
    void* GetInterface(std::string_view name) override {
        return name == "RedioMacroButton" ? this : CButtonUI::GetInterface(name);
    }
    void SetAttribute(std::string_view name, std::string_view value) override {
        if (name == "redioimage") {
            redioImage_ = value;
        } else {
            CButtonUI::SetAttribute(name, value);
        }
    }
    const std::string& RedioImage() const { return redioImage_; }

  private:
    std::string redioImage_;
};

}  // namespace vivori::controls
