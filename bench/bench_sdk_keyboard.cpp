// Process CPU of the keyboard's host effect alone, and of the same effect while a
// lighting client sends it 60 colour updates a second through the server, side by
// side, with the target for the difference: 1 % of one core. The client is a child
// process, so only the application's side is counted: the server's thread, the
// decode, the host colours under the light lock and the lighting thread's frames.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "AppBench.h"
#include "SimCommandPath.h"
#include "app/SdkLink.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/KeyboardSettingsBlock.h"
#include "sdk/SdkTestClient.h"
#include "sim/SimulatedBus.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

namespace {

using namespace vivori;

constexpr double kTargetAddedPercentOfCore = 1.0;
constexpr ui::UINT kMeasureMs = 10000;
constexpr int kUpdatesPerSecond = 60;
// The child: Direct mode, then a new colour for every key 60 times a second. Every
// packet is built before the fork, so the child only writes to its socket.
pid_t StartClient(uint16_t port, uint32_t controller, size_t leds) {
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < kUpdatesPerSecond; ++f) {
        std::vector<uint32_t> colours(leds);
        for (size_t i = 0; i < leds; ++i) colours[i] = uint32_t((f * 4 + i) & 0xFF) << 8 | 0x40;
        frames.push_back(testing::SdkTestClient::Packet(
            controller, sdk::kUpdateLeds, testing::SdkTestClient::LedsPayload(colours)));
    }
    const auto direct = testing::SdkTestClient::Packet(controller, sdk::kSetCustomMode);
    const pid_t pid = fork();
    if (pid != 0) return pid;
    testing::SdkTestClient client(port);
    client.SendRaw(direct);
    for (int n = 0;; ++n) {
        client.SendRaw(frames[size_t(n % kUpdatesPerSecond)]);
        usleep(1000000 / kUpdatesPerSecond);
    }
}

void BM_ClientOnTopOfTheEffect(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "vivori-bench-sdk";
    for (auto _ : state) {
        auto made = sim::MakeSimulatedBus("keyboard");
        devices::CQuorvaneKeyboardDevice keyboard(made->bus);
        keyboard.SetDataFolders(profiles::DataFolders({folder, folder, folder, folder}));
        CommandTransport& commands = keyboard.Commands();
        {
            CriticalSectionLock lock(commands.IoLock());
            commands.Wired().OpenPath(CommandPath(made->bus), true, true, true, false);
            commands.SetOpen(true);
            commands.SetLinkType(kLinkWired);
        }
        keyboard.OnConnected();
        // The bare effect: the host-streamed mode the client's colours also go through.
        auto light = keyboard.Profile().GetLightInfo();
        light.selectItem = devices::kLevelMode;
        light.speed = 4;
        light.light = 4;
        keyboard.Profile().SetLightInfo(light);
        keyboard.ApplyProfileLighting();
        const int level[] = {40, 180, 90};
        keyboard.SetLevelInput(level, 3);
        made->devices[0]->SetRecording(false);

        const uint64_t framesBefore = keyboard.LightFramesSent();
        const double bare = bench::LoopCpuPercent(kMeasureMs);
        const double bareFrames = double(keyboard.LightFramesSent() - framesBefore) / kMeasureMs;

        app::SdkLink link([&] { return std::vector<devices::CQuorvaneUSBDevice*>{&keyboard}; }, {});
        if (!link.Start(sdk::ServerOptions{.port = 0})) {
            state.SkipWithError("the server could not listen");
            break;
        }
        const size_t leds = link.Registry().Controllers().at(0).leds.size();
        const pid_t client = StartClient(link.Port(), 0, leds);
        const uint64_t framesWith = keyboard.LightFramesSent();
        const double withClient = bench::LoopCpuPercent(kMeasureMs);
        const double clientFrames = double(keyboard.LightFramesSent() - framesWith) / kMeasureMs;
        const bool driven = keyboard.HostColoursOn();
        kill(client, SIGKILL);
        waitpid(client, nullptr, 0);
        link.Stop();
        keyboard.StopLightingThread();
        keyboard.Detach();
        if (!driven) state.SkipWithError("the client's colours never reached the keyboard");
        state.counters["bare_effect_percent_of_core"] = bare;
        state.counters["with_client_percent_of_core"] = withClient;
        state.counters["added_percent_of_core"] = withClient - bare;
        state.counters["target_added_percent"] = kTargetAddedPercentOfCore;
        state.counters["frames_per_second_bare"] = bareFrames * 1000;
        state.counters["frames_per_second_with_client"] = clientFrames * 1000;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_ClientOnTopOfTheEffect)
    ->Name("keyboard_host_effect_with_and_without_60_client_updates_per_second")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
