#include "devices/CQuorvaneMousePadDevice.h"

#include "devices/ConfigSequence.h"

namespace vivori::devices {
namespace {

// The LED pairs of the pad's picture that light together in the group chase.
const std::vector<std::pair<int, int>> kPadGroups = {{1, 14}, {2, 13}, {3, 12}, {4, 11},
                                                     {5, 10}, {6, 9},  {7, 8}};

}  // namespace

CQuorvaneMousePadDevice::CQuorvaneMousePadDevice(std::shared_ptr<hid::HidBus> bus)
    : CVendorBlockDevice(std::move(bus), lighting::PreviewWave::Pad, kPadGroups) {
    deviceKind_ = kKindMousePad;
    SetDataFolderName(std::string(profiles::kMousePadFolder));
    SetPageValue(2);  // the mouse pad's light table
}

CQuorvaneMousePadDevice::~CQuorvaneMousePadDevice() {
    CloseNotificationChannel(false);
    StopPreview();
}

void* CQuorvaneMousePadDevice::GetInterface(std::string_view name) {
    if (name == "QuorvaneMousePadDevice") return this;
    return CVendorBlockDevice::GetInterface(name);
}

void CQuorvaneMousePadDevice::BuildPage() {
    CVendorBlockDevice::BuildPage();
    profilePanel_ = FindChild("DeviceProfileItem");
    lightPanel_ = FindChild("LightControlItem");
}

int CQuorvaneMousePadDevice::ReadDeviceInfo() {
    std::array<uint8_t, kInfoSize> info{};
    const int result = FetchInfo(info);
    if (result == CMD_OK) info_ = info;
    return result;
}

void CQuorvaneMousePadDevice::RefreshPage() {
    LoadNameLists();
    ShowLightParameters();
}

}  // namespace vivori::devices
