// The application in-process with every kind of simulated device, through a long run
// of random plugs, unplugs and link switches with profile edits and device writes in
// between: nothing crashes or hangs, every thread ends, every profile file is whole,
// and the keyboard holds its profile after a final apply.
#include <dirent.h>
#include <json/json.h>

#include <random>

#include "AppFixture.h"
#include "app/CMainWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/DeviceManager.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"

namespace vivori::testing {
namespace {

constexpr int kEvents = 1000;

size_t ThreadCount() {
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
        closedir(tasks);
    }
    return count;
}

class SoakTest : public AppTest {
  protected:
    devices::CQuorvaneKeyboardDevice* KeyboardObject() {
        for (auto* device : Window().Devices()->Devices())
            if (auto* keyboard = dynamic_cast<devices::CQuorvaneKeyboardDevice*>(device))
                return keyboard;
        return nullptr;
    }
};

TEST_F(SoakTest, RandomPlugsUnplugsAndLinkSwitchesWithEditsBetweenLeaveEverythingWhole) {
    auto made =
        sim::MakeSimulatedBus("keyboard,keyboard-receiver,mouse,mouse-receiver,pad,headset");
    ASSERT_TRUE(made);
    const std::vector<std::shared_ptr<sim::SimDevice>> devices = made->devices;
    std::vector<bool> plugged(devices.size(), false);
    for (const auto& device : devices) made->bus->Unplug(device);
    windowBus = made->bus;

    const auto folders = profiles::DataFolders::FromEnvironment();
    const auto folder = folders.DataFolder("keyboard");
    ASSERT_TRUE(profiles::WriteJsonFile(
        folder / "ProfileList.ini",
        *profiles::ParseJsonText(R"({"profilelist":[{"profilename":"Soak","profileUUID":"soak",
            "profileislink":0,"profilelinkmame":""}],"profileselect":0})")));
    const auto profilePath = folder / "soak.Json";

    const size_t threadsBefore = ThreadCount();
    makeKeyboard = [this] { return new devices::CQuorvaneKeyboardDevice(WindowBus()); };
    Start();
    auto* keyboard = KeyboardObject();
    ASSERT_NE(keyboard, nullptr);

    std::mt19937 random(20261209);
    std::vector<std::vector<uint32_t>> saved;  // every key list a save wrote, in order
    for (int event = 0; event < kEvents; ++event) {
        const int action = int(random() % 10);
        if (action < 5) {  // plug or unplug one device
            const size_t i = random() % devices.size();
            if (plugged[i])
                made->bus->Unplug(devices[i]);
            else
                made->bus->Plug(devices[i]);
            plugged[i] = !plugged[i];
        } else if (action < 7) {  // link switch: the keyboard's cable goes or comes back
            if (plugged[0])
                made->bus->Unplug(devices[0]);
            else
                made->bus->Plug(devices[0]);
            plugged[0] = !plugged[0];
            if (!plugged[1]) {
                made->bus->Plug(devices[1]);
                plugged[1] = true;
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
        } else {  // device writes, whatever the link does meanwhile
            keyboard->WriteSettings();
            keyboard->WriteKeyTableFromProfile();
        }
        PumpFor(int(random() % 4));
        // Now and then the devices stay long enough for the connection to run (half a
        // second after an arrival): reads, profile loads and light frames then meet the
        // plugs and unplugs that follow.
        if (event % 100 == 99) PumpFor(700);
    }

    // The run did what it is for: the keyboard came and went and was edited.
    EXPECT_GT(saved.size(), 20u);

    // Every profile file is whole: it parses and holds the last key list saved.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".Json" && entry.path().extension() != ".ini") continue;
        EXPECT_EQ(profiles::ReadJsonDocument(entry.path()).state, profiles::FileState::Parsed)
            << entry.path();
    }

    // The cable, settled: the keyboard is read again and the profile applied.
    for (size_t i = 0; i < devices.size(); ++i)
        if (!plugged[i]) made->bus->Plug(devices[i]);
    ASSERT_TRUE(PumpUntil(
        [&] { return keyboard->Commands().IsOpen() && keyboard->KeySlotCount() > 0; }, 5000));
    PumpFor(300);
    keyboard->LoadProfile();
    if (!saved.empty()) {
        std::vector<uint32_t> codes;
        for (const auto& k : keyboard->KeyAssignments()) codes.push_back(k.current.Code());
        EXPECT_EQ(codes, saved.back()) << "the profile does not hold the last save";
    }
    ASSERT_EQ(keyboard->WriteKeyTableFromProfile(), CMD_OK);
    ASSERT_EQ(keyboard->WriteSettings(), CMD_OK);
    const auto keyMap = sim::FirmwareOf(devices[0])->Memory(sim::Area::KeyMap);
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

    // Every thread the run started ends with the application.
    application.reset();
    EXPECT_TRUE(PumpUntil([&] { return ThreadCount() <= threadsBefore; }, 3000))
        << ThreadCount() << " threads, " << threadsBefore << " before";
}

}  // namespace
}  // namespace vivori::testing
