// The application in-process with every kind of simulated device, through a long run
// of random plugs, unplugs and link switches with profile edits and device writes in
// between: nothing crashes or hangs, every thread ends, every profile file is whole,
// and each device holds its profile after a final apply.
#include <dirent.h>
#include <json/json.h>

#include <fstream>
#include <optional>
#include <random>

#include "AppFixture.h"
#include "app/CMainWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "devices/CQuorvaneMousePadDevice.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "devices/DeviceManager.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"

namespace vivori::testing {
namespace {

constexpr int kEvents = 1000;

// The process's threads, but for Qt's D-Bus thread: Qt starts it with the first bus
// connection (the suspend watch) and keeps it until the process ends.
size_t ThreadCount() {
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) {
            if (entry->d_name[0] == '.') continue;
            std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
            std::string name;
            std::getline(comm, name);
            count += name.rfind("QDBus", 0) != 0;
        }
        closedir(tasks);
    }
    return count;
}

// The simulated devices, in the order the bus is made from kDevices.
constexpr const char* kDevices = "keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset";
enum SimIndex : size_t { kKeyboard = 0, kKeyboardReceiver = 1, kMouse = 2, kPad = 4, kHeadset = 5 };

class SoakTest : public AppTest {
  protected:
    // The device object of a kind; pages are made on a kind's first arrival.
    template <typename Device>
    Device* Object() {
        for (auto* device : Window().Devices()->Devices())
            if (auto* found = dynamic_cast<Device*>(device)) return found;
        return nullptr;
    }

    // Every data folder selects a profile "Soak" of its own.
    void SelectSoakProfiles() {
        const auto folders = profiles::DataFolders::FromEnvironment();
        for (std::string_view kind : {profiles::kKeyboardFolder, profiles::kMouseFolder,
                                      profiles::kMousePadFolder, profiles::kHeadsetFolder}) {
            const std::string list =
                R"({"profilelist":[{"profilename":"Soak","profileUUID":"soak-)" +
                std::string(kind) +
                R"(","profileislink":0,"profilelinkmame":""}],"profileselect":0})";
            ASSERT_TRUE(
                profiles::WriteJsonFile(folders.DataFolder(std::string(kind)) / "ProfileList.ini",
                                        *profiles::ParseJsonText(list)));
        }
    }

    // A light edit of the pad or the headset, saved: what a click in its light panel does.
    static std::optional<profiles::LightInfo> EditVendorLight(devices::CVendorBlockDevice* device,
                                                              std::mt19937& random) {
        if (device == nullptr || device->GetProfileName() != "Soak") return std::nullopt;
        profiles::LightInfo info = device->ProfileData().GetLightInfo();
        info.selectItem = uint8_t(random() % 8);
        info.light = uint8_t(random() % 5);
        info.speed = uint8_t(random() % 5);
        info.red = uint8_t(random());
        info.blue = uint8_t(random());
        device->ProfileData().SetLightInfo(info);
        device->ApplyProfileLighting();
        device->SaveProfile();
        return device->ProfileData().GetLightInfo();
    }

    // After a final load and write, the settings block at 0 holds the profile's light.
    void ExpectVendorBlockHoldsItsProfile(devices::CVendorBlockDevice* device,
                                          const std::shared_ptr<sim::SimDevice>& sim,
                                          const std::optional<profiles::LightInfo>& lastSaved) {
        ASSERT_NE(device, nullptr);
        device->LoadProfile();
        const profiles::LightInfo light = device->ProfileData().GetLightInfo();
        if (lastSaved) {
            EXPECT_EQ(light.selectItem, lastSaved->selectItem);
            EXPECT_EQ(light.light, lastSaved->light);
            EXPECT_EQ(light.red, lastSaved->red);
            EXPECT_EQ(light.blue, lastSaved->blue);
        }
        ASSERT_EQ(device->WriteSettings(), CMD_OK);
        namespace vb = devices::vendor_byte;
        const auto params = sim::FirmwareOf(sim)->Memory(sim::Area::Params);
        ASSERT_GE(params.size(), devices::kVendorBlockSize);
        const auto& modes = device->ModeMap();
        ASSERT_FALSE(modes.empty());
        EXPECT_EQ(params[vb::kMode],
                  light.selectItem < modes.size() ? modes[light.selectItem] : modes[0]);
        EXPECT_EQ(params[vb::kBrightness], light.light);
        EXPECT_EQ(params[vb::kSpeed], 4 - light.speed);
        EXPECT_EQ(params[vb::kColourful], light.multiColor);
        EXPECT_EQ(params[vb::kRed], light.red);
        EXPECT_EQ(params[vb::kGreen], light.green);
        EXPECT_EQ(params[vb::kBlue], light.blue);
    }
};

TEST_F(SoakTest, RandomPlugsUnplugsAndLinkSwitchesWithEditsBetweenLeaveEverythingWhole) {
    auto made = sim::MakeSimulatedBus(kDevices);
    ASSERT_TRUE(made);
    const std::vector<std::shared_ptr<sim::SimDevice>> devices = made->devices;
    std::vector<bool> plugged(devices.size(), false);
    for (const auto& device : devices) made->bus->Unplug(device);
    windowBus = made->bus;

    SelectSoakProfiles();
    const auto folders = profiles::DataFolders::FromEnvironment();

    const size_t threadsBefore = ThreadCount();
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(WindowBus()); };
    Start();
    auto* keyboard = Object<devices::CQuorvaneKeyboardDevice>();
    ASSERT_NE(keyboard, nullptr);

    std::mt19937 random(20261209);
    std::vector<std::vector<uint32_t>> saved;     // every key list a save wrote, in order
    std::vector<profiles::DpiStage> mouseStages;  // the mouse's last saved stages
    std::optional<profiles::LightInfo> padLight, headsetLight;  // their last saved light
    int otherSaves = 0;
    for (int event = 0; event < kEvents; ++event) {
        const int action = int(random() % 12);
        if (action < 5) {  // plug or unplug one device
            const size_t i = random() % devices.size();
            if (plugged[i])
                made->bus->Unplug(devices[i]);
            else
                made->bus->Plug(devices[i]);
            plugged[i] = !plugged[i];
        } else if (action < 7) {  // link switch: the keyboard's cable goes or comes back
            if (plugged[kKeyboard])
                made->bus->Unplug(devices[kKeyboard]);
            else
                made->bus->Plug(devices[kKeyboard]);
            plugged[kKeyboard] = !plugged[kKeyboard];
            if (!plugged[kKeyboardReceiver]) {
                made->bus->Plug(devices[kKeyboardReceiver]);
                plugged[kKeyboardReceiver] = true;
            }
        } else if (action < 9) {  // a key edit, saved
            auto keys = keyboard->KeyAssignments();
            // Only a keyboard that has been read has its profile selected to save into.
            if (keys.size() > 70 && keyboard->GetProfileName() == "Soak") {
                const size_t key = 64 + random() % 6;
                keys[key].current = profiles::KeyAssign::FromCode(
                    uint16_t(key), 0x200004 + uint32_t(random() % 26));
                keyboard->SetKeyAssignments(keys);
                keyboard->SaveProfile();
                std::vector<uint32_t> codes;
                for (const auto& k : keys) codes.push_back(k.current.Code());
                saved.push_back(codes);
            }
        } else if (action < 10) {  // device writes, whatever the link does meanwhile
            keyboard->WriteSettings();
            keyboard->WriteKeyTableFromProfile();
        } else if (action < 11) {  // an edit on another device, saved
            auto* mouse = Object<devices::CQuorvaneMouseDevice>();
            switch (random() % 3) {
                case 0:
                    if (mouse && mouse->GetProfileName() == "Soak" &&
                        !mouse->GetDpiStages().empty()) {
                        auto stages = mouse->GetDpiStages();
                        auto& stage = stages[random() % stages.size()];
                        stage.dpiX = stage.dpiY = uint16_t(1 + random() % 60);
                        stage.red = uint8_t(random());
                        mouse->SetDpiStages(stages);
                        mouse->SaveProfile();
                        mouseStages = stages;
                        ++otherSaves;
                    }
                    break;
                case 1:
                    if (auto light =
                            EditVendorLight(Object<devices::CQuorvaneMousePadDevice>(), random)) {
                        padLight = light;
                        ++otherSaves;
                    }
                    break;
                default:
                    if (auto light =
                            EditVendorLight(Object<devices::CQuorvaneRI6533Device>(), random)) {
                        headsetLight = light;
                        ++otherSaves;
                    }
            }
        } else {  // the other devices' writes
            if (auto* mouse = Object<devices::CQuorvaneMouseDevice>()) mouse->WriteSettings();
            if (auto* pad = Object<devices::CQuorvaneMousePadDevice>()) pad->WriteSettings();
            if (auto* headset = Object<devices::CQuorvaneRI6533Device>()) headset->WriteSettings();
        }
        PumpFor(int(random() % 4));
        // Now and then the devices stay long enough for the connection to run (half a
        // second after an arrival): reads, profile loads and light frames then meet the
        // plugs and unplugs that follow.
        if (event % 100 == 99) PumpFor(700);
    }

    // The run did what it is for: the devices came and went and were edited.
    EXPECT_GT(saved.size(), 20u);
    EXPECT_GT(otherSaves, 10);

    // Every profile file is whole: it parses.
    for (std::string_view kind : {profiles::kKeyboardFolder, profiles::kMouseFolder,
                                  profiles::kMousePadFolder, profiles::kHeadsetFolder})
        for (const auto& entry :
             std::filesystem::directory_iterator(folders.DataFolder(std::string(kind)))) {
            if (entry.path().extension() != ".Json" && entry.path().extension() != ".ini") continue;
            EXPECT_EQ(profiles::ReadJsonDocument(entry.path()).state, profiles::FileState::Parsed)
                << entry.path();
        }

    // Everything plugged in and settled: each device is read again and its profile applied.
    for (size_t i = 0; i < devices.size(); ++i)
        if (!plugged[i]) made->bus->Plug(devices[i]);
    auto* mouse = static_cast<devices::CQuorvaneMouseDevice*>(nullptr);
    auto* pad = static_cast<devices::CQuorvaneMousePadDevice*>(nullptr);
    auto* headset = static_cast<devices::CQuorvaneRI6533Device*>(nullptr);
    ASSERT_TRUE(PumpUntil(
        [&] {
            mouse = Object<devices::CQuorvaneMouseDevice>();
            pad = Object<devices::CQuorvaneMousePadDevice>();
            headset = Object<devices::CQuorvaneRI6533Device>();
            return keyboard->Commands().IsOpen() && keyboard->KeySlotCount() > 0 && mouse &&
                   mouse->Commands().IsOpen() && mouse->KeySlotCount() > 0 && pad &&
                   pad->Commands().IsOpen() && headset && headset->Commands().IsOpen();
        },
        5000));
    PumpFor(300);
    keyboard->LoadProfile();
    if (!saved.empty()) {
        std::vector<uint32_t> codes;
        for (const auto& k : keyboard->KeyAssignments()) codes.push_back(k.current.Code());
        EXPECT_EQ(codes, saved.back()) << "the profile does not hold the last save";
    }
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    ASSERT_EQ(keyboard->WriteSettings(), CMD_OK);
    const auto keyMap = sim::FirmwareOf(devices[kKeyboard])->Memory(sim::Area::KeyMap);
    const auto& keySlots = keyboard->Locations().slot;
    const auto keys = keyboard->KeyAssignments();
    int compared = 0;
    for (size_t key = 0; key < keys.size() && key < 126; ++key) {
        if (keySlots[key] == devices::kNoSlot) continue;
        const uint32_t code = keys[key].current.Code();
        if ((code >> 16) == 0x70 || (code >> 16) == 0x71) continue;  // numbered by first use
        const size_t at = size_t(keySlots[key]) * 3;
        EXPECT_EQ(uint32_t(keyMap[at]) << 16 | uint32_t(keyMap[at + 1]) << 8 | keyMap[at + 2], code)
            << "key " << key;
        ++compared;
    }
    EXPECT_GT(compared, 50);

    // The mouse: its profile's stages, light and polling rate in the block at 0.
    mouse->LoadProfile();
    if (!mouseStages.empty()) {
        EXPECT_EQ(mouse->GetDpiStages(), mouseStages) << "the profile does not hold the last save";
    }
    ASSERT_EQ(mouse->WriteSettings(), CMD_OK);
    {
        namespace mb = devices::mouse_byte;
        const auto params = sim::FirmwareOf(devices[kMouse])->Memory(sim::Area::Params);
        const auto stages = mouse->Profile().GetDpiStages();
        ASSERT_FALSE(stages.empty());
        for (size_t i = 0; i < stages.size() && i < size_t(devices::kMouseStageCount); ++i) {
            const size_t at = mb::kStages + i * mb::kStageSize;
            EXPECT_EQ(params[at], stages[i].stageActive) << "stage " << i;
            EXPECT_EQ(params[at + 2] | params[at + 3] << 8, stages[i].dpiX) << "stage " << i;
            EXPECT_EQ(params[at + 6], stages[i].red) << "stage " << i;
        }
        const profiles::LightInfo light = mouse->Profile().GetLightInfo();
        EXPECT_EQ(params[mb::kBrightness], light.light);
        EXPECT_EQ(params[mb::kPollingRate], mouse->Profile().GetSystemStages().reportRate);
    }
    // The pad and the headset: the profile's light in their settings block.
    ExpectVendorBlockHoldsItsProfile(pad, devices[kPad], padLight);
    ExpectVendorBlockHoldsItsProfile(headset, devices[kHeadset], headsetLight);

    // Every thread the run started ends with the application.
    application.reset();
    EXPECT_TRUE(PumpUntil([&] { return ThreadCount() <= threadsBefore; }, 3000))
        << ThreadCount() << " threads, " << threadsBefore << " before";
}

}  // namespace
}  // namespace vivori::testing
