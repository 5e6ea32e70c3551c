#pragma once

#include "devices/CVendorBlockDevice.h"
#include "profiles/CBasicProfiledata.h"

namespace vivori::devices {

// The mouse pad: lighting only. It runs its effects itself from the settings block the
// host writes; the host animates only the picture of the pad on its page, and reads
// the pad's power record for the phone lying on its charging surface.
class CQuorvaneMousePadDevice : public CVendorBlockDevice {
  public:
    explicit CQuorvaneMousePadDevice(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CQuorvaneMousePadDevice() override;

    std::string_view GetClass() const override { return "QuorvaneMousePadDevice"; }
    void* GetInterface(std::string_view name) override;

    void BuildPage() override;
    void RefreshPage() override;
    profiles::CBasicProfiledata& ProfileData() override { return profile_; }

    // ConfigBegin, ReadInfo, ConfigEnd; the information block is kept (and used for
    // nothing). A failure keeps the block read before.
    int ReadDeviceInfo();

    ui::CControlUI* ProfilePanel() const { return profilePanel_; }
    ui::CControlUI* LightPanel() const { return lightPanel_; }

  protected:
    bool ReadsInfoAtConnection() const override { return true; }

  private:
    profiles::CBasicProfiledata profile_;
    ui::CControlUI* profilePanel_ = nullptr;
    ui::CControlUI* lightPanel_ = nullptr;
};

}  // namespace vivori::devices
