#pragma once

#include "devices/PowerStatus.h"
#include "ui/core/CHorizontalLayoutUI.h"

namespace vivori::controls {

// The power display of one device in the header: battery level and charging state,
// the wireless mark, and for a mouse pad the phone lying on it. Its children come
// from its layout and are looked up by name on first use; until all six exist it
// changes nothing.
class CMpDevicePowerUI : public ui::CHorizontalLayoutUI, public devices::IPowerDisplay {
  public:
    std::string_view GetClass() const override { return "MpDevicePower"; }
    void* GetInterface(std::string_view name) override;
    bool Activate() override;

    void SetDeviceType(int type, int value) override;
    void ShowLayout(bool show) override;
    void ShowPower(const uint8_t* record, size_t length) override;
    void ShowPowerUnknown() override;
    void ShowAnswering(bool answering) override;
    void ShowReading(bool reading) override;

    int DeviceType() const { return deviceType_; }
    bool AnsweringShown() const { return answering_; }
    bool LinkShown() const { return linked_; }

  private:
    bool FindChildren();
    // The words in place of the battery: reading, not answering, or none.
    void ShowState();

    ui::CControlUI* layout_ = nullptr;
    ui::CControlUI* value_ = nullptr;
    ui::CControlUI* wireless_ = nullptr;
    ui::CControlUI* status_ = nullptr;
    ui::CControlUI* progress_ = nullptr;
    ui::CControlUI* phone_ = nullptr;
    int deviceType_ = 0;
    int value2_ = 0;
    bool linked_ = false;
    bool layoutShown_ = true;
    bool answering_ = true;
    bool reading_ = false;
};

}  // namespace vivori::controls
