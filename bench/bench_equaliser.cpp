// What the headset equaliser costs: the plugin's CPU time for 48 kHz stereo (two mono
// instances, as the sound server runs it) next to a plain copy and the flat setting,
// and the latency the equaliser's sink adds, from a private PulseAudio server's own
// figures for the headset's sink alone and for the equaliser in front of it.
//
//   build/bin/bench_equaliser [seconds of audio, default 20]
#include <dlfcn.h>
#include <ladspa.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <vector>

#include "audio/HeadsetEqualiser.h"
#include "support/PulseServer.h"

namespace {

using namespace vivori;

constexpr unsigned long kRate = 48000;
constexpr size_t kBlock = 1024;

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// CPU seconds to run `seconds` of stereo through two instances with these gains;
// null gains: a plain copy instead.
double CpuFor(const LADSPA_Descriptor* d, const float* gains, double seconds) {
    std::vector<float> in(kBlock), out(kBlock);
    for (size_t i = 0; i < kBlock; ++i) in[i] = float(0.3 * std::sin(0.05 * double(i)) + 0.1 * std::sin(0.9 * double(i)));
    std::array<LADSPA_Data, 11> controls{};
    if (gains != nullptr) std::memcpy(controls.data(), gains, 10 * sizeof(float));
    LADSPA_Handle channels[2] = {d->instantiate(d, kRate), d->instantiate(d, kRate)};
    for (LADSPA_Handle h : channels) {
        d->connect_port(h, 0, in.data());
        d->connect_port(h, 1, out.data());
        for (unsigned long p = 0; p < controls.size(); ++p) d->connect_port(h, 2 + p, &controls[p]);
        d->run(h, kBlock);  // the design, once
    }
    const size_t blocks = size_t(seconds * kRate / kBlock);
    const double start = ThreadCpuSeconds();
    for (size_t b = 0; b < blocks; ++b) {
        for (LADSPA_Handle h : channels) {
            if (gains != nullptr) {
                d->run(h, kBlock);
            } else {
                std::memcpy(out.data(), in.data(), kBlock * sizeof(float));
            }
        }
    }
    const double used = ThreadCpuSeconds() - start;
    for (LADSPA_Handle h : channels) d->cleanup(h);
    return used;
}

// The "Latency:" the server gives for a sink, in ms; -1 when not found.
double SinkLatencyMs(const testing::PulseServer& server, const std::string& sink) {
    std::istringstream text(server.Pactl("list sinks"));
    bool inSink = false;
    const std::regex latency(R"(Latency: (\d+) usec)");
    for (std::string line; std::getline(text, line);) {
        if (line.find("Name: ") != std::string::npos) inSink = line.find("Name: " + sink) != std::string::npos &&
                                                                  line.size() == line.find("Name: ") + 6 + sink.size();
        std::smatch m;
        if (inSink && std::regex_search(line, m, latency)) return std::stod(m[1]) / 1000.0;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0;
    void* plugin = dlopen(VIVORI_EQ_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) {
        std::fprintf(stderr, "bench_equaliser: %s\n", dlerror());
        return 1;
    }
    const auto* d = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(plugin, "ladspa_descriptor"))(0);
    const float flat[10] = {};
    const float preset9[10] = {8, 2, -4, -8, 1, 3, 8, 11, 14, 16};
    const float preset12[10] = {2, 1, -2, -4, -8, 4, 12, 16, 18, 15};
    std::printf("CPU for %.0f s of 48 kHz stereo (%% of one core; limit 1 %%):\n", seconds);
    const auto row = [&](const char* what, const float* gains) {
        const double used = CpuFor(d, gains, seconds);
        std::printf("  %-28s %8.1f ms  %6.3f %%\n", what, used * 1000, used / seconds * 100);
    };
    row("baseline: plain copy", nullptr);
    row("flat (preset 5, bypassed)", flat);
    row("preset 9", preset9);
    row("preset 12", preset12);

    testing::PulseServer server;
    if (!server.Up()) {
        std::printf("latency: no PulseAudio server could be started, not measured\n");
        return 0;
    }
    setenv("PULSE_SERVER", server.Address().c_str(), 1);
    audio::HeadsetEqualiser::Options options;
    options.headsetSink = server.HeadsetSink();
    options.plugin = VIVORI_EQ_PLUGIN_FILE;
    audio::HeadsetEqualiser equaliser(options);
    equaliser.SetEnabled(true);
    for (int b = 0; b < 10; ++b) equaliser.SetBand(b, preset9[b]);
    equaliser.WaitSettled(5000);
    if (equaliser.GetState() != audio::HeadsetEqualiser::State::Running) {
        std::printf("latency: the equaliser's sink was not made\n");
        return 1;
    }
    std::printf("latency the server reports while a stream plays (limit 20 ms added):\n");
    double alone = 0, through = 0;
    {
        testing::PulseServer::Player player(server, server.HeadsetSink());
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        alone = SinkLatencyMs(server, server.HeadsetSink());
    }
    {
        testing::PulseServer::Player player(server, audio::HeadsetEqualiser::kSinkName);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        through = SinkLatencyMs(server, audio::HeadsetEqualiser::kSinkName);
    }
    std::printf("  baseline: headset sink alone  %8.2f ms\n", alone);
    std::printf("  through the equaliser's sink  %8.2f ms  (added %.2f ms)\n", through, through - alone);
    return 0;
}
