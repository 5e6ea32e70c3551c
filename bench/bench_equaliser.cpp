// What the headset equaliser costs: the plugin's CPU time for 48 kHz stereo (two mono
// instances, as the sound server runs it) next to a plain copy and the flat setting,
// and the latency the equaliser's sink adds, from a private PulseAudio server's own
// figures for the headset's sink alone and for the equaliser in front of it.
//
//   build/bin/bench_equaliser [seconds of audio, default 20]
#include <dlfcn.h>
#include <ladspa.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>
#include <vector>

#include "audio/HeadsetEqualiser.h"
#include "platform/ChildProcess.h"
#include "support/PulseServer.h"

namespace {

using namespace vivori;

constexpr unsigned long kRate = 48000;
constexpr size_t kBlock = 1024;
// What a game or a call asks for; the server sizes the sink's buffer from it.
constexpr int kStreamLatencyMs = 40;

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

// The "Latency:" the server gives for a sink in a listing, in ms (or the latency it
// configured for it); -1 when not found.
double SinkLatencyMs(const std::string& list, const std::string& sink, bool configured = false) {
    std::istringstream text(list);
    bool inSink = false;
    const std::regex latency(configured ? R"(configured (\d+) usec)" : R"(Latency: (\d+) usec)");
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
    std::printf("latency the server reports while a stream asking for %d ms plays (limit 20 ms added):\n", kStreamLatencyMs);
    // Medians of a few readings once the stream has settled. The equaliser's sink
    // reports its own latency plus its master's, so what it adds is the difference
    // of the two read together while the sound goes through it. (A null sink reports
    // its idle 2 s latency at first, so the headset alone is read after a warm-up.)
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const auto settled = [&](const std::string& sink) {
        // pacat asks the server to size the sink's buffer for the stream's latency.
        const auto player = StartChild({"/usr/bin/pacat", "--latency-msec=" + std::to_string(kStreamLatencyMs),
                                        "-d", sink, "/dev/zero"});
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        std::vector<double> own, master, ownConfigured, masterConfigured;
        for (int i = 0; i < 7; ++i) {
            // Both from one listing, so they are read at one moment.
            const std::string list = server.Pactl("list sinks");
            own.push_back(SinkLatencyMs(list, sink));
            master.push_back(SinkLatencyMs(list, server.HeadsetSink()));
            ownConfigured.push_back(SinkLatencyMs(list, sink, true));
            masterConfigured.push_back(SinkLatencyMs(list, server.HeadsetSink(), true));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (player) {
            kill(*player, SIGTERM);
            while (ChildRunning(*player)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::array<double, 4>{median(own), median(master), median(ownConfigured), median(masterConfigured)};
    };
    settled(audio::HeadsetEqualiser::kSinkName);
    const auto alone = settled(server.HeadsetSink());
    const auto through = settled(audio::HeadsetEqualiser::kSinkName);
    std::printf("  baseline: headset sink alone        %8.2f ms (configured %.2f ms)\n", alone[0], alone[2]);
    std::printf("  through the equaliser: its sink     %8.2f ms (configured %.2f ms)\n", through[0], through[2]);
    std::printf("                 the headset sink     %8.2f ms (configured %.2f ms)\n", through[1], through[3]);
    std::printf("  added by the equaliser              %8.2f ms\n", through[0] - through[1]);
    std::printf("  (a null sink fed through another sink reports how far it rendered ahead, which differs\n"
                "   between the two routes; the latency it is configured for is the same)\n");
    return 0;
}
