// The mouse page in the running application: a simulated mouse on the virtual bus,
// the page's notifications routed by the main window to the mouse's handlers.
#include <QImage>
#include <QPainter>

#include "AppFixture.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "sim/SimProduct.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CSliderUI.h"
#include "ui/qt/OffscreenSurface.h"

namespace vivori::testing {
namespace {

using devices::CQuorvaneMouseDevice;

class MousePageTest : public AppTest {
  protected:
    CQuorvaneMouseDevice* Mouse() {
        return dynamic_cast<CQuorvaneMouseDevice*>(Window().CurrentDevice());
    }
    void Notify(std::string_view name, std::string_view type) {
        ui::CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << name;
        Window().PaintManager().SendNotify(control, type);
    }
    std::vector<uint8_t> Params() { return sim::FirmwareOf(mouse)->Memory(sim::Area::Params); }

    std::shared_ptr<sim::SimDevice> mouse;
};

TEST_F(MousePageTest, StagesAndPollingRateChangedOnThePageReachTheMouse) {
    Start();
    mouse = Plug("mouse");
    ASSERT_TRUE(PumpUntil([&] { return Mouse() != nullptr && Mouse()->PreviewRunning(); }));
    CQuorvaneMouseDevice& page = *Mouse();
    // The mouse's own DPI range: 519 positions of 50 DPI from 100.
    auto* slider = static_cast<ui::CSliderUI*>(Find("DPI_slider_2")->GetInterface("Slider"));
    EXPECT_EQ(slider->GetMaxValue(), 519);
    slider->SetValue(63);
    Notify("DPI_slider_2", ui::kNotifyValueChanged);
    EXPECT_EQ(Find("DPI_edit_2")->GetText(), "3250");
    EXPECT_EQ(Params()[14 + 2 * 9 + 2], 63);
    Find("DPI_edit_3")->SetText("800");
    Notify("DPI_edit_3", ui::kNotifyKillFocus);
    EXPECT_EQ(Params()[14 + 3 * 9 + 2], 14);
    auto* option =
        static_cast<ui::COptionUI*>(Find("polling_rate_option_1")->GetInterface("Option"));
    option->Selected(true);  // a click: the option notifies
    EXPECT_EQ(Params()[11], 1);
    auto* select = static_cast<ui::COptionUI*>(Find("DPI_select_check_4")->GetInterface("Option"));
    select->Selected(true);
    EXPECT_EQ(Params()[12], 4);
    EXPECT_EQ(page.CurrentDpiStage(), 4);
    // The screen size in the block is the primary screen's.
    EXPECT_GT(Params()[60] | Params()[61] << 8, 0);

    // The shown page previews the mouse's light. The screenshot puts the stages tab
    // beside the buttons tab, whose picture shows the preview.
    ui::SendMessage(Window().GetHWND(), ui::WM_ACTIVATE, 1, 0);
    ASSERT_TRUE(PumpUntil([&] { return page.PreviewSteps() > 5; }));
    PumpFor(150);
    const std::string stagesPng = VIVORI_SCREENSHOT_DIR "/mouse-stages.png";
    const std::string buttonsPng = VIVORI_SCREENSHOT_DIR "/mouse-buttons.png";
    static_cast<ui::COptionUI*>(Find("mouse_device_seting_option_1")->GetInterface("Option"))
        ->Selected(true);
    ASSERT_TRUE(ui::SaveWindowPng(Window().PaintManager(), stagesPng));
    static_cast<ui::COptionUI*>(Find("mouse_device_seting_option_0")->GetInterface("Option"))
        ->Selected(true);
    PumpFor(100);
    ASSERT_TRUE(ui::SaveWindowPng(Window().PaintManager(), buttonsPng));
    const QImage stages(QString::fromStdString(stagesPng));
    const QImage buttons(QString::fromStdString(buttonsPng));
    QImage both(stages.width() + buttons.width(), std::max(stages.height(), buttons.height()),
                QImage::Format_RGB32);
    QPainter painter(&both);
    painter.drawImage(0, 0, stages);
    painter.drawImage(stages.width(), 0, buttons);
    painter.end();
    EXPECT_TRUE(both.save(VIVORI_SCREENSHOT_DIR "/mouse.png"));
    std::filesystem::remove(stagesPng);
    std::filesystem::remove(buttonsPng);
}

}  // namespace
}  // namespace vivori::testing
