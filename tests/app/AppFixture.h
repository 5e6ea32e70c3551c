#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/windows/CMsgWnd.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "platform/Time.h"
#include "sim/SimProduct.h"
#include "sim/SimulatedBus.h"
#include "ui/core/CTabLayoutUI.h"
#include "ui/message/Messages.h"
#include "ui/qt/TestApplication.h"

namespace vivori::testing {

// The real keyboard object, which also keeps the level values the window hands it.
class RecordingKeyboard : public devices::CQuorvaneKeyboardDevice {
  public:
    using CQuorvaneKeyboardDevice::CQuorvaneKeyboardDevice;

    void SetLevelInput(const int* values, int count) override {
        CQuorvaneKeyboardDevice::SetLevelInput(values, count);
        std::lock_guard lock(mutex);
        levels.assign(values, values + count);
    }
    void SetMusicInput(const int* values, int count) override {
        std::lock_guard lock(mutex);
        music.assign(values, values + count);
    }
    std::vector<int> Music() {
        std::lock_guard lock(mutex);
        return music;
    }
    std::vector<int> Levels() {
        std::lock_guard lock(mutex);
        return levels;
    }

  private:
    std::mutex mutex;
    std::vector<int> levels;
    std::vector<int> music;
};

// The application object on an empty simulated bus, with its own runtime and data
// folders, so nothing meets a copy the user runs.
class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ui::testing::TestApplication();
        char pattern[] = "/tmp/vivori-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
        bus = std::make_shared<hid::VirtualHidBus>();
        // Message boxes are answered "cancel" and kept, so no test waits in a modal loop.
        app::CMsgWnd::SetAnswerForTests([this](const app::MessageRequest& request) {
            shownMessages.push_back(request.text);
            return 0;
        });
    }

    void TearDown() override {
        application.reset();
        app::CMsgWnd::SetAnswerForTests(nullptr);
        std::error_code error;
        std::filesystem::remove_all(folder_, error);
    }

    std::vector<std::string> shownMessages;

    void Start(bool singleInstance = false, int gameRestoreMs = 5000) {
        app::AppOptions options;
        options.singleInstance = singleInstance;
        options.window.bus = WindowBus();
        options.window.trayIcon = false;
        options.window.assumeTray = assumeTray;
        options.window.gameRestoreMs = gameRestoreMs;
        options.window.powerPeriodMs = powerPeriodMs;
        options.window.headsetPowerPeriodMs = headsetPowerPeriodMs;
        options.window.queueDeviceWrites = queueDeviceWrites;
        options.window.capture = capture;
        options.window.chooseFile = chooseFile;
        options.window.createControl = [this](std::string_view name) -> ui::CControlUI* {
            if (makeOther)
                if (ui::CControlUI* control = makeOther(name)) return control;
            if (name != "QuorvaneKeyboardDevice") return nullptr;
            return makeKeyboard ? makeKeyboard() : new RecordingKeyboard(WindowBus());
        };
        application = std::make_unique<app::Application>(options);
        ASSERT_EQ(application->Start(), app::Application::StartResult::Started);
        ASSERT_TRUE(PumpUntil([&] { return Window().Devices() != nullptr; }));
    }

    std::shared_ptr<sim::SimDevice> Plug(std::string_view name) {
        auto device = sim::MakeSimulatedDevice(name);
        bus->Plug(device);
        return device;
    }

    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            ui::PumpMessages();
            Sleep(2);
        }
        return true;
    }
    void PumpFor(int ms) {
        PumpUntil([] { return false; }, ms);
    }

    app::CMainWnd& Window() { return *application->Window(); }
    // The attached device object of that kind and class; null when there is none.
    template <typename T>
    T* DeviceOf(uint16_t kind) {
        for (auto* d : Window().DevicesOfKind({kind}))
            if (auto* device = dynamic_cast<T*>(d)) return device;
        return nullptr;
    }
    ui::CControlUI* Find(std::string_view name) {
        return Window().PaintManager().FindControl(name);
    }
    void Click(std::string_view name) {
        ui::CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << name;
        Window().PaintManager().SendNotify(control, ui::kNotifyClick);
    }
    RecordingKeyboard* Keyboard() {
        return dynamic_cast<RecordingKeyboard*>(Window().CurrentDevice());
    }
    bool KeyboardShown() { return Keyboard() != nullptr; }
    int SelectedPage() {
        auto* tabs =
            static_cast<ui::CTabLayoutUI*>(Find("device_switch")->GetInterface("TabLayout"));
        return tabs->GetCurSel();
    }
    // The light modes (device codes) of the settings written at offset 0, in order:
    // byte 1 of a keyboard's settings block, or the one byte a stand-in device writes.
    static std::vector<int> ModesWritten(const sim::SimDevice& device) {
        std::vector<int> modes;
        for (const auto& frame : device.ReceivedFrames())
            if (frame[3] == CMD_WRITE_PARAMS && frame[5] == 0 && frame[6] == 0)
                modes.push_back(frame[4] == 1 ? frame[8] : frame[9]);
        return modes;
    }

    std::shared_ptr<hid::HidBus> WindowBus() const {
        return windowBus ? windowBus : std::shared_ptr<hid::HidBus>(bus);
    }

    std::shared_ptr<hid::VirtualHidBus> bus;
    // The application's bus when it is not the virtual one above.
    std::shared_ptr<hid::HidBus> windowBus;
    // How often mice and keyboards read their power (tests shorten it).
    unsigned powerPeriodMs = 5000;
    unsigned headsetPowerPeriodMs = 60000;
    // Off here: most tests read the device right after a click. The tests of the
    // window's own waiting turn it on, as the program has it.
    bool queueDeviceWrites = false;
    std::unique_ptr<app::Application> application;
    // Act as if a notification area held the tray icon.
    bool assumeTray = false;
    // The keyboard page's device object; empty: RecordingKeyboard.
    std::function<ui::CControlUI*()> makeKeyboard;
    // Input capture for the window; empty: the desktop's.
    std::shared_ptr<input::ICaptureBackend> capture;
    // Stands in for the profile file dialogs.
    std::function<bool(bool save, std::string* path)> chooseFile;
    // Asked first for every control the layouts name; null: the usual ones.
    std::function<ui::CControlUI*(std::string_view)> makeOther;
    // The test's own folder (runtime, data and configuration under it).
    const std::filesystem::path& Folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
};

}  // namespace vivori::testing
