#include "controls/CMpDevicePowerUI.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CProgressUI.h"
#include "ui/core/IRender.h"

namespace vivori::controls {
namespace {

constexpr size_t kRecordCapacity = 64;

struct PhoneShow {
    const char* text;
    const char* image;  // the picture's file
};
constexpr PhoneShow kPhones[] = {
    {"Phone_type_no_device", "power/Phone_type_no_device.png"},
    {"Phone_type_iphone", "power/Phone_type_iphone.png"},
    {"Phone_type_samsung", "power/Phone_type_samsung.png"},
    {"Phone_type_other", "power/Phone_type_other.png"},
};

bool IsWirelessType(int type) {
    return type == 1 || type == 2;
}

}  // namespace

void* CMpDevicePowerUI::GetInterface(std::string_view name) {
    if (name == "MpDevicePower") return static_cast<devices::IPowerDisplay*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

bool CMpDevicePowerUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    if (manager_ != nullptr) manager_->SendNotify(this, ui::kNotifySelectChanged);
    return true;
}

bool CMpDevicePowerUI::FindChildren() {
    auto find = [this](ui::CControlUI*& slot, std::string_view name) {
        if (slot == nullptr)
            slot = FindControl(
                [name](ui::CControlUI* c) {
                    return ui::EqualNoCase(c->GetName(), name) ? c : nullptr;
                },
                ui::kFindAll);
        return slot != nullptr;
    };
    // Every lookup runs, so each child found is cached even when another is missing.
    const bool all[] = {find(layout_, "device_power_Layout"), find(value_, "device_power_value"),
                        find(wireless_, "device_wuxian_logo"), find(status_, "device_power_status"),
                        find(progress_, "device_Power_progress"), find(phone_, "device_phone_type")};
    return std::all_of(std::begin(all), std::end(all), [](bool b) { return b; });
}

void CMpDevicePowerUI::SetDeviceType(int type, int value) {
    deviceType_ = type;
    value2_ = value;
}

void CMpDevicePowerUI::ShowLayout(bool show) {
    layoutShown_ = show;
    ShowState();
}

void CMpDevicePowerUI::ShowAnswering(bool answering) {
    answering_ = answering;
    ShowState();
}

void CMpDevicePowerUI::ShowReading(bool reading) {
    reading_ = reading;
    ShowState();
}

void CMpDevicePowerUI::ShowState() {
    FindChildren();
    const bool words = reading_ || !answering_;
    if (layout_ != nullptr) layout_->SetVisible(layoutShown_ && !words);
    if (ui::CControlUI* state = FindControl(
            [](ui::CControlUI* c) {
                return ui::EqualNoCase(c->GetName(), "device_state_text") ? c : nullptr;
            },
            ui::kFindAll)) {
        state->SetVisible(words);
        state->SetText(reading_ ? "device_reading_text" : "device_not_answering_text");
        state->SetToolTip(reading_ ? "" : "device_not_answering_tip");
        state->SetAttribute("textcolor", reading_ ? "#FFA0A3AD" : "#FFE0483E");
    }
    Invalidate();
}

void CMpDevicePowerUI::ShowPower(const uint8_t* record, size_t length) {
    std::array<uint8_t, kRecordCapacity> r{};
    if (record != nullptr) std::copy_n(record, std::min(length, r.size()), r.begin());
    if (!FindChildren()) return;
    namespace pb = devices::power_byte;
    const int level = r[pb::kLevel];
    if (auto* progress = static_cast<ui::CProgressUI*>(progress_->GetInterface("Progress")))
        progress->SetValue(100 - level);
    char text[16];
    std::snprintf(text, sizeof text, "%d%s", level, "%");
    value_->SetText(text);

    status_->SetVisible(true);
    const bool wireless = IsWirelessType(deviceType_);
    linked_ = r[pb::kLink] != 0;
    if (wireless) wireless_->SetVisible(linked_);
    if (!wireless) linked_ = false;

    switch (r[pb::kCharging]) {
        case 0:
            progress_->SetVisible(true);
            status_->SetBkImage("file='power/powered.png'");
            break;
        case 1:
            // On the cable the bar stays; through the receiver charging hides it.
            progress_->SetVisible(!linked_);
            status_->SetBkImage("file='power/powering.png'");
            break;
        case 2:
            progress_->SetVisible(true);
            status_->SetBkImage("file='power/power.png'");
            break;
        default:
            break;
    }
    if (deviceType_ == 3) {
        const PhoneShow& phone =
            kPhones[size_t(devices::PhoneOf({r[0], r[1], r[2], r[3], r[4], r[5]}))];
        phone_->SetText(phone.text);
        // The layout places the picture beside the text; only its file changes.
        phone_->SetBkImage(ui::WithImageFile(phone_->GetBkImage(), phone.image));
    }
    Invalidate();
}

void CMpDevicePowerUI::ShowPowerUnknown() {
    if (!FindChildren()) return;
    // The battery picture would read as a level (an empty bar looks full): no picture.
    value_->SetText("--");
    status_->SetVisible(false);
    wireless_->SetVisible(false);
    linked_ = false;
    Invalidate();
}

}  // namespace vivori::controls
