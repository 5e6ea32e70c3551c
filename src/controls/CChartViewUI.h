#pragma once

#include <string>
#include <vector>

#include "ui/core/CControlUI.h"

namespace vivori::controls {

// Values drawn as a pie (with a legend) or as a histogram of pillar images.
class CChartViewUI : public ui::CControlUI {
  public:
    enum class View { Pie = 0, Histogram = 1 };
    struct Item {
        std::string label;
        double value = 0.0;
    };

    void* GetInterface(std::string_view name) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoPaint(ui::IRender& render, const ui::UiRect& paintRect) override;

    void AddItem(std::string label, double value);
    const std::vector<Item>& Items() const { return items_; }
    View GetView() const { return view_; }

  protected:
    virtual void PaintPie(ui::IRender& render);
    virtual void PaintHistogram(ui::IRender& render);

  private:
    double Largest() const;
    double Total() const;

    View view_ = View::Pie;
    std::vector<Item> items_;
    std::string shadowImage_;
    int shadowHeight_ = 0;
    std::string pillarImage_;
    int pillarWidth_ = 0;
    bool showHtml_ = false;
    bool showText_ = true;
    int font_ = -1;
};

}  // namespace vivori::controls
