#include "app/windows/CColorSelectWnd.h"

#include "app/NotifyRoutes.h"
#include "panels/ColourText.h"
#include "ui/core/CColorPaletteUI.h"
#include "ui/core/COptionUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using namespace ui;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 572;
constexpr const char* kColourfulImage = "common/base1.png";

std::string Indexed(std::string_view prefix, int n) {
    return std::string(prefix) + std::to_string(n);
}

// A collected slot shows its colour and is marked as holding one.
void ShowCollected(COptionUI& slot, UiColor colour) {
    // Not a literal: g++ 12 at -O3 misreads assigning a one-character constant in place
    // as an overlapping copy.
    static const std::string kHoldsColour = "1";
    slot.SetBkColor(colour);
    slot.SetAttribute("selectedbkcolor", panels::ColourAttribute(colour));
    slot.SetUserData(kHoldsColour);
    slot.SetBorderSize(0);
}

}  // namespace

CColorSelectWnd::CColorSelectWnd(profiles::PaletteFile file, uint32_t initialColour, int dpi)
    : file_(std::move(file)), colour_(initialColour | 0xFF000000u), dpi_(dpi) {}

HWND CColorSelectWnd::CreateFor(HWND owner) {
    const HWND hwnd = Create(owner, "PalletDialog", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0,
                             kWidth, kHeight);
    if (hwnd != 0) CenterWindow();
    return hwnd;
}

void CColorSelectWnd::InitWindow() {
    pm_.SetDPI(dpi_);
    options_ = file_.Load();
    for (int n = 0; n < profiles::kPaletteSlotCount; ++n) {
        if (CControlUI* button = pm_.FindControl(Indexed("color_option_", n))) {
            if (options_.presets[size_t(n)])
                button->SetBkColor(*options_.presets[size_t(n)]);
            else
                options_.presets[size_t(n)] = button->GetBkColor();  // the layout's colour
        }
        if (auto* slot =
                dynamic_cast<COptionUI*>(pm_.FindControl(Indexed("collect_color_option_", n)))) {
            if (const auto& colour = options_.collected[size_t(n)]) ShowCollected(*slot, *colour);
            slot->Selected(n == options_.collectedSelected, false);
        }
    }
    // The colourful option is not offered to the callers there are.
    if (auto* colourful = dynamic_cast<COptionUI*>(pm_.FindControl("7color"))) {
        colourful->Selected(false, false);
        colourful->SetEnabled(false);
    }
    if (CControlUI* layout = pm_.FindControl("7color_layout")) layout->SetVisible(false);
    ShowColour(true, true);
}

void CColorSelectWnd::Notify(TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    const std::optional<IndexedName> split = SplitIndexedName(name);
    if (msg.sType == kNotifyClick) {
        if (split && EqualNoCase(split->prefix, "color_option_")) {
            SelectPreset(split->index);
        } else if (EqualNoCase(name, "okbtn")) {
            Finish(pm_.FindControl("Pallet") ? kResultColour : kResultNoPalette);
        } else if (EqualNoCase(name, "closebtn") || EqualNoCase(name, "laterbtn")) {
            Finish(kResultCancel);
        } else if (EqualNoCase(name, "minbtn")) {
            SendMessage(GetHWND(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else if (EqualNoCase(name, "maxbtn")) {
            SendMessage(GetHWND(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        } else if (EqualNoCase(name, "restorebtn")) {
            SendMessage(GetHWND(), WM_SYSCOMMAND, SC_RESTORE, 0);
        }
    } else if (msg.sType == kNotifyColorChanged && EqualNoCase(name, "Pallet")) {
        TakePaletteColour();
    } else if (msg.sType == kNotifyKillFocus && split &&
               EqualNoCase(split->prefix, "color_edit_")) {
        TakeEdits();
    } else if (msg.sType == kNotifySelectChanged && split &&
               EqualNoCase(split->prefix, "collect_color_option_")) {
        // Options tell of a click by becoming selected.
        auto* option = dynamic_cast<COptionUI*>(msg.pSender);
        if (option && option->IsSelected()) SelectCollected(split->index);
    } else if (msg.sType == kNotifySelectChanged && EqualNoCase(name, "7color")) {
        auto* option = dynamic_cast<COptionUI*>(msg.pSender);
        SetColourful(option && option->IsSelected());
    }
    WindowImplBase::Notify(msg);
}

void CColorSelectWnd::Finish(UINT result) {
    result_ = result;
    Close(result);
}

void CColorSelectWnd::SelectPreset(int n) {
    CControlUI* button = pm_.FindControl(Indexed("color_option_", n));
    if (button == nullptr) return;
    options_.presetSelected = n;
    file_.SavePresets(options_);
    colour_ = button->GetBkColor() | 0xFF000000u;
    if (auto* palette = dynamic_cast<CColorPaletteUI*>(pm_.FindControl("Pallet")))
        palette->SetSelectColor(colour_);
    UpdateCollectedSlot();
    ShowColour(true, false);
}

void CColorSelectWnd::SelectCollected(int n) {
    CControlUI* slot = pm_.FindControl(Indexed("collect_color_option_", n));
    if (slot == nullptr) return;
    options_.collectedSelected = n;
    if (slot->GetUserData() != "1") return;
    file_.SaveCollected(options_);
    colour_ = slot->GetBkColor() | 0xFF000000u;
    SetColourful(false);
    ShowColour(true, true);
}

void CColorSelectWnd::TakePaletteColour() {
    auto* palette = dynamic_cast<CColorPaletteUI*>(pm_.FindControl("Pallet"));
    if (palette == nullptr) return;
    colour_ = palette->GetSelectColor();
    UpdateCollectedSlot();
    ShowColour(true, false);
}

void CColorSelectWnd::TakeEdits() {
    int rgb[3] = {};
    const char* names[] = {"color_edit_r", "color_edit_g", "color_edit_b"};
    for (int i = 0; i < 3; ++i) {
        CControlUI* edit = pm_.FindControl(names[i]);
        if (edit == nullptr) continue;
        const panels::ColourComponent c = panels::ReadColourComponent(edit->GetText());
        if (c.rewrite) edit->SetText(*c.rewrite);
        rgb[i] = c.value;
    }
    colour_ = panels::OpaqueColour(rgb[0], rgb[1], rgb[2]);
    if (auto* palette = dynamic_cast<CColorPaletteUI*>(pm_.FindControl("Pallet")))
        palette->SetSelectColor(colour_);
    UpdateCollectedSlot();
}

void CColorSelectWnd::UpdateCollectedSlot() {
    const int n = options_.collectedSelected;
    auto* slot = dynamic_cast<COptionUI*>(pm_.FindControl(Indexed("collect_color_option_", n)));
    if (slot != nullptr && slot->IsSelected()) {
        ShowCollected(*slot, colour_);
        options_.collected[size_t(n)] = colour_;
        file_.SaveCollected(options_);
    }
    SetColourful(false);
    ShowColour(false, false);
}

void CColorSelectWnd::ShowColour(bool edits, bool palette) {
    panels::PaintColourSample(pm_.FindControl("color_show_btn"), colour_);
    if (palette)
        if (auto* control = dynamic_cast<CColorPaletteUI*>(pm_.FindControl("Pallet")))
            control->SetSelectColor(colour_);
    if (!edits) return;
    const int values[] = {panels::RedOf(colour_), panels::GreenOf(colour_),
                          panels::BlueOf(colour_)};
    const char* names[] = {"color_edit_r", "color_edit_g", "color_edit_b"};
    for (int i = 0; i < 3; ++i)
        if (CControlUI* edit = pm_.FindControl(names[i])) edit->SetText(std::to_string(values[i]));
}

void CColorSelectWnd::SetColourful(bool on) {
    colourful_ = on;
    if (CControlUI* show = pm_.FindControl("color_show_btn"))
        show->SetBkImage(on ? kColourfulImage : "");
}

}  // namespace vivori::app
