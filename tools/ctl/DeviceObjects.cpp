#include "DeviceObjects.h"

#include <cstdio>
#include <cstdlib>

#include "DeviceAccess.h"
#include "audio/AudioLibrary.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "profiles/DataFolders.h"
#include "profiles/ProfileListModel.h"
#include "sim/SimAudioChip.h"

namespace vivori::ctl {

namespace {

int DeviceKindNumber(const std::string& kind) {
    if (kind == "keyboard") return 1;
    if (kind == "mouse") return 2;
    if (kind == "pad") return 3;
    return 7;
}

// What the application reads at connection before the profile, and the profile.
int ReadAndLoad(const std::string& kind, devices::CQuorvaneUSBDevice& device) {
    if (kind == "keyboard") {
        auto& keyboard = static_cast<devices::CQuorvaneKeyboardDevice&>(device);
        if (int r = keyboard.ReadDevice(); r != CMD_OK) return CommandFailed("full read", r);
        keyboard.LoadProfile();
        if (int r = keyboard.ReadLightBlock(); r != CMD_OK) return CommandFailed("light block", r);
        return 0;
    }
    if (kind == "mouse") {
        auto& mouse = static_cast<devices::CQuorvaneMouseDevice&>(device);
        if (int r = mouse.ReadDeviceInfo(); r != CMD_OK) return CommandFailed("information", r);
        mouse.LoadProfile();
        return 0;
    }
    auto& vendor = static_cast<devices::CVendorBlockDevice&>(device);
    if (kind == "headset") static_cast<devices::CQuorvaneRI6533Device&>(device).StartAudio();
    int profile = 0;
    if (int r = vendor.ReadCurrentSettings(profile); r != CMD_OK)
        return CommandFailed("settings block", r);
    vendor.LoadProfile();
    if (kind == "headset") static_cast<devices::CQuorvaneRI6533Device&>(device).ReadAudioState();
    return 0;
}

}  // namespace

int EnsureProfileList(const std::string& kind) {
    const auto folders = profiles::DataFolders::FromEnvironment();
    const std::string_view folder = DeviceFolderOfKind(kind);
    profiles::ProfileListModel model(folders.DataFolder(folder), folders.DefaultDataFile(folder),
                                     DeviceKindNumber(kind));
    if (profiles::ProfileOutcome loaded = model.Load(); !loaded) return Fail(loaded.message);
    return 0;
}

std::shared_ptr<sim::SimAudioChip> ChooseAudioLibrary(const Options& options) {
    if (options.simulate.find("headset") == std::string::npos) return nullptr;
    auto chip = std::make_shared<sim::SimAudioChip>();
    audio::SetAudioLibrary(chip);
    return chip;
}

int OpenDeviceObject(const Options& given, const std::string& kind, DeviceObject* out) {
    Options options = given;
    options.device = kind;
    if (kind == "pad" || kind == "headset") options.link = "cable";
    if (kind == "headset") out->chip = ChooseAudioLibrary(options);
    std::string error;
    out->bus = SelectDeviceBus(options, &error);
    if (!out->bus) return Fail(error);
    if (int failed = EnsureProfileList(kind)) return failed;
    if (kind == "keyboard")
        out->device = std::make_unique<devices::CQuorvaneKeyboardDevice>(out->bus);
    else if (kind == "mouse")
        out->device = std::make_unique<devices::CQuorvaneMouseDevice>(out->bus);
    else if (kind == "pad")
        out->device = std::make_unique<devices::CQuorvaneMousePadDevice>(out->bus);
    else
        out->device = std::make_unique<devices::CQuorvaneRI6533Device>(out->bus);
    if (!OpenCommandTransport(options, out->bus, out->device->Commands(), &error))
        return Fail(error);
    return ReadAndLoad(kind, *out->device);
}

void ReportAudioSets(const Options& options, const DeviceObject& object) {
    if (!options.debug || !object.chip) return;
    for (const auto& set : object.chip->Sets())
        std::fprintf(stderr, "audio set %s = %g\n", set.name.c_str(), set.value);
}

void PrintProfileLine(const devices::CQuorvaneUSBDevice& device) {
    const std::string profile = device.GetProfileName();
    std::printf("profile:          %s\n",
                profile.empty() ? "(none selected: the default)" : profile.c_str());
}

}  // namespace vivori::ctl
