#pragma once

// A private PulseAudio server for a test: its own folder, socket and null sink that
// stands for the headset's sound card; tones played into a sink and recorded from a
// source, and the level of one frequency in what was recorded.
#include <pulse/simple.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ChildProcess.h"

namespace vivori::testing {

class PulseServer {
  public:
    static constexpr const char* kBinary = "/usr/bin/pulseaudio";
    static constexpr int kRate = 44100;

    explicit PulseServer(std::string headsetSink = "fakeheadset") : sink_(std::move(headsetSink)) {
        char pattern[] = "/tmp/vivori-pulse-XXXXXX";
        if (access(kBinary, X_OK) != 0 || mkdtemp(pattern) == nullptr) return;
        folder_ = pattern;
        socket_ = (folder_ / "native").string();
        const std::string script = (folder_ / "server.pa").string();
        std::FILE* file = std::fopen(script.c_str(), "w");
        if (file == nullptr) return;
        std::fprintf(file, "load-module module-null-sink sink_name=%s rate=%d\n", sink_.c_str(), kRate);
        std::fprintf(file, "load-module module-native-protocol-unix socket=%s auth-anonymous=1\n",
                     socket_.c_str());
        std::fclose(file);
        // As root (CI) the server warns and runs; --system is not wanted, it would
        // share the system's socket.
        const std::string command = "HOME='" + folder_.string() + "' XDG_RUNTIME_DIR='" + folder_.string() +
                                    "' exec " + kBinary +
                                    " -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no"
                                    " --log-target=stderr --log-level=1 -F '" +
                                    script + "' 2>'" + (folder_ / "server.log").string() + "'";
        if (auto child = StartChild({"/bin/sh", "-c", command})) pid_ = *child;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        while (pid_ > 0 && std::chrono::steady_clock::now() < end) {
            if (Pactl("info").find("Server Name") != std::string::npos) {
                up_ = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~PulseServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            for (int i = 0; i < 100 && ChildRunning(pid_); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (ChildRunning(pid_)) kill(pid_, SIGKILL);
            ChildRunning(pid_);
        }
        std::error_code error;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, error);
    }

    bool Up() const { return up_; }
    std::string Address() const { return "unix:" + socket_; }
    const std::string& HeadsetSink() const { return sink_; }

    // pactl's output for these arguments, against this server.
    std::string Pactl(const std::string& arguments) const {
        // Bounded: a server that accepted and stalls must fail the test, not hang it.
        const std::string command =
            "PULSE_SERVER='" + Address() + "' timeout 10 pactl " + arguments + " 2>/dev/null";
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe) return {};
        std::string out;
        char buffer[4096];
        while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, got);
        return out;
    }
    bool HasSink(const std::string& name) const {
        std::istringstream lines(Pactl("list short sinks"));
        for (std::string line; std::getline(lines, line);)
            if (Field(line, 1) == name) return true;
        return false;
    }
    // The sinks that the clients' streams play on (a module's own streams left out).
    std::vector<std::string> StreamSinks() const {
        std::istringstream sinkLines(Pactl("list short sinks"));
        std::vector<std::pair<std::string, std::string>> sinks;
        for (std::string line; std::getline(sinkLines, line);) sinks.emplace_back(Field(line, 0), Field(line, 1));
        std::vector<std::string> out;
        std::istringstream lines(Pactl("list short sink-inputs"));
        for (std::string line; std::getline(lines, line);) {
            if (Field(line, 2) == "-") continue;
            for (const auto& [index, name] : sinks)
                if (index == Field(line, 1)) out.push_back(name);
        }
        return out;
    }
    int ModuleCount(const std::string& module) const {
        std::istringstream lines(Pactl("list short modules"));
        int count = 0;
        for (std::string line; std::getline(lines, line);) count += Field(line, 1) == module;
        return count;
    }

    // Plays interleaved stereo frames into sink while recording source, from just
    // before the sound starts to a little after it ends.
    std::vector<float> PlayAndRecord(const std::string& sink, const std::string& source,
                                     const std::vector<float>& stereo) const {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 2};
        std::vector<float> recorded(stereo.size() + size_t(kRate) * 2 * 3 / 2);
        int error = 0;
        pa_simple* in = pa_simple_new(Address().c_str(), "test", PA_STREAM_RECORD, source.c_str(), "record",
                                      &format, nullptr, nullptr, &error);
        if (in == nullptr) return {};
        std::thread recorder([&] {
            pa_simple_read(in, recorded.data(), recorded.size() * sizeof(float), &error);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (pa_simple* out = pa_simple_new(Address().c_str(), "test", PA_STREAM_PLAYBACK, sink.c_str(), "tone",
                                           &format, nullptr, nullptr, &error)) {
            pa_simple_write(out, stereo.data(), stereo.size() * sizeof(float), &error);
            pa_simple_drain(out, &error);
            pa_simple_free(out);
        }
        recorder.join();
        pa_simple_free(in);
        return recorded;
    }

    // Silence to a sink, until the object goes: a stream that plays on, asking for
    // latencyMs of latency (0: the server's default).
    class Player {
      public:
        Player(const PulseServer& server, const std::string& sink, int latencyMs = 0) {
            const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 2};
            const pa_buffer_attr buffer{uint32_t(-1), uint32_t(pa_usec_to_bytes(pa_usec_t(latencyMs) * 1000, &format)),
                                        uint32_t(-1), uint32_t(-1), uint32_t(-1)};
            int error = 0;
            stream_ = pa_simple_new(server.Address().c_str(), "test", PA_STREAM_PLAYBACK, sink.c_str(),
                                    "player", &format, nullptr, latencyMs > 0 ? &buffer : nullptr, &error);
            if (stream_ == nullptr) return;
            thread_ = std::thread([this] {
                std::vector<float> silence(kRate / 50 * 2);
                int e = 0;
                while (!stop_) pa_simple_write(stream_, silence.data(), silence.size() * sizeof(float), &e);
            });
        }
        ~Player() {
            stop_ = true;
            if (thread_.joinable()) thread_.join();
            if (stream_ != nullptr) pa_simple_free(stream_);
        }
        bool Playing() const { return stream_ != nullptr; }

      private:
        pa_simple* stream_ = nullptr;
        std::atomic<bool> stop_{false};
        std::thread thread_;
    };

  private:
    static std::string Field(const std::string& line, int n) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i <= n; ++i)
            if (!std::getline(fields, field, '\t')) return {};
        return field;
    }

    std::string sink_;
    std::filesystem::path folder_;
    std::string socket_;
    pid_t pid_ = -1;
    bool up_ = false;
};

// Tones of these frequencies, each at `amplitude`, together, in interleaved stereo.
inline std::vector<float> MultiTone(const std::vector<double>& hz, double amplitude, double seconds) {
    const size_t frames = size_t(seconds * PulseServer::kRate);
    std::vector<float> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        double v = 0;
        for (double f : hz) v += amplitude * std::sin(2 * std::numbers::pi * f * double(i) / PulseServer::kRate);
        out[2 * i] = out[2 * i + 1] = float(v);
    }
    return out;
}

// The amplitude in dB (full scale 0 dB) of frequency hz in the left channel, over the
// middle half of the part that sounds (Hann window, so neighbours do not leak in).
inline double ToneLevelDb(const std::vector<float>& stereo, double hz) {
    const size_t frames = stereo.size() / 2;
    constexpr size_t kBlock = PulseServer::kRate / 100;
    size_t first = frames, last = 0;
    for (size_t b = 0; b + kBlock <= frames; b += kBlock) {
        double sum = 0;
        for (size_t i = b; i < b + kBlock; ++i) sum += double(stereo[2 * i]) * stereo[2 * i];
        if (std::sqrt(sum / kBlock) > 1e-4) {
            first = std::min(first, b);
            last = b + kBlock;
        }
    }
    if (last <= first) return -200;
    const size_t begin = first + (last - first) / 4;
    const size_t count = (last - first) / 2;
    double re = 0, im = 0, weights = 0;
    for (size_t i = 0; i < count; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(count));
        const double phase = 2 * std::numbers::pi * hz * double(i) / PulseServer::kRate;
        re += w * stereo[2 * (begin + i)] * std::cos(phase);
        im -= w * stereo[2 * (begin + i)] * std::sin(phase);
        weights += w;
    }
    return 20 * std::log10(std::max(2 * std::hypot(re, im) / weights, 1e-10));
}

}  // namespace vivori::testing
