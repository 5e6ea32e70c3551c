// vivori-audio-recorder: captures what the desktop plays (the default sink's monitor,
// through the PulseAudio API, which PipeWire's pulse server serves too), turns it into
// frames of 500 spectrum values and sends them to the application's main window as
// spectrum copy-data, about 47 frames a second. It takes the style levels the main
// window sends, and ends on its end commands or a signal.
//
//   vivori-audio-recorder [--input FILE.wav]
//
// --input plays a WAV file (16-bit PCM or 32-bit float) in real time instead of
// capturing, then ends. Without a sound server it prints one line and ends with 1.
#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "FrequencyAnalyser.h"
#include "app/AppMessages.h"
#include "app/AudioRecorderLink.h"
#include "platform/Time.h"
#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

using namespace vivori;

namespace {

constexpr ui::UINT_PTR kSpectrumData = 1;
constexpr ui::UINT_PTR kCheckTimer = 1;
constexpr ui::UINT kCheckMs = 100;
constexpr int kFindRetryMs = 1000;
constexpr int kSendTimeoutMs = 200;

std::atomic<bool> signalled{false};

void OnSignal(int) {
    signalled = true;
}

// Finds the main window and hands it frames; a main window that is not there (yet)
// is looked for again at most once a second.
class FrameSender {
  public:
    void Send(const std::array<int32_t, recorder::kFrameValues>& frame) {
        if (!window_) {
            const uint32_t now = GetTickCount();
            if (looked_ && now - lastLook_ < uint32_t(kFindRetryMs)) return;
            looked_ = true;
            lastLook_ = now;
            window_ = ui::FindRemoteWindow(app::kMainWindowClass, app::kApplicationName, 500);
            if (!window_) return;
        }
        std::vector<uint8_t> bytes(sizeof(frame));
        std::memcpy(bytes.data(), frame.data(), bytes.size());
        if (!ui::SendCopyData(*window_, kSpectrumData, bytes, kSendTimeoutMs)) window_.reset();
        ++sent_;
    }
    uint64_t Sent() const { return sent_; }

  private:
    std::optional<ui::RemoteWindow> window_;
    bool looked_ = false;
    uint32_t lastLook_ = 0;
    uint64_t sent_ = 0;
};

// The capture (or WAV) thread: samples in, frames out.
class Capture {
  public:
    ~Capture() { Stop(); }

    // Opens the sound server's default monitor; false with the reason when it cannot.
    bool OpenServer(std::string* error) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, recorder::kSampleRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = recorder::kHopSize * sizeof(float);
        int code = 0;
        stream_ = pa_simple_new(nullptr, "vivori-audio-recorder", PA_STREAM_RECORD,
                                "@DEFAULT_MONITOR@", "spectrum", &format, nullptr, &attr, &code);
        if (stream_ == nullptr) *error = pa_strerror(code);
        return stream_ != nullptr;
    }
    void UseSamples(std::vector<float> samples) { samples_ = std::move(samples); }

    void Start() {
        thread_ = std::thread([this] { Run(); });
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (stream_ != nullptr) pa_simple_free(stream_);
        stream_ = nullptr;
    }
    bool Ended() const { return ended_; }
    bool Failed() const { return failed_; }
    void Pause(bool pause) { paused_ = pause; }
    void SetLevels(const recorder::StyleLevels& levels) {
        std::lock_guard lock(levelsMutex_);
        levels_ = levels;
    }
    recorder::StyleLevels Levels() {
        std::lock_guard lock(levelsMutex_);
        return levels_;
    }

  private:
    void Run() {
        recorder::SpectrumAnalyser analyser;
        FrameSender sender;
        std::vector<float> block(recorder::kHopSize);
        auto emit = [&](const std::array<int32_t, recorder::kFrameValues>& frame) {
            if (!paused_) sender.Send(frame);
        };
        size_t played = 0;
        const uint32_t start = GetTickCount();
        uint64_t blocks = 0;
        while (!stop_) {
            analyser.SetLevels(Levels());
            if (stream_ != nullptr) {
                int code = 0;
                if (pa_simple_read(stream_, block.data(), block.size() * sizeof(float), &code) <
                    0) {
                    std::fprintf(stderr, "vivori-audio-recorder: capture failed: %s\n",
                                 pa_strerror(code));
                    failed_ = true;
                    break;
                }
            } else {
                if (played >= samples_.size()) break;
                const size_t n = std::min(block.size(), samples_.size() - played);
                std::fill(block.begin(), block.end(), 0.0f);
                std::copy_n(samples_.begin() + ptrdiff_t(played), n, block.begin());
                played += n;
                // A file plays at its own pace, as a capture would deliver it.
                const uint32_t due = start + uint32_t((blocks + 1) * 1000 * recorder::kHopSize /
                                                      recorder::kSampleRate);
                const int32_t ahead = int32_t(due - GetTickCount());
                if (ahead > 0) Sleep(ahead);
            }
            ++blocks;
            analyser.Add(block, emit);
        }
        ended_ = true;
    }

    pa_simple* stream_ = nullptr;
    std::vector<float> samples_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> paused_{false};
    std::mutex levelsMutex_;
    recorder::StyleLevels levels_;
};

// The recorder's window, under the class and title the main window looks for.
class RecorderWindow : public ui::MessageWindow {
  public:
    RecorderWindow(Capture& capture, ui::UINT styleMessage)
        : capture_(capture), styleMessage_(styleMessage) {}
    ~RecorderWindow() override { DestroyHandle(); }

    ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM w, ui::LPARAM l) override {
        if (msg == ui::WM_COPYDATA) {
            const auto* data = reinterpret_cast<const ui::COPYDATASTRUCT*>(l);
            if (data == nullptr || data->dwData != app::AudioRecorderLink::kStyleLevels) return 0;
            const auto levels = recorder::StyleLevelsOfPayload(data->data);
            if (!levels) return 0;
            capture_.SetLevels(*levels);
            return 1;
        }
        if (msg == styleMessage_ && styleMessage_ != 0) {
            recorder::StyleLevels levels = capture_.Levels();
            const int value = int(std::clamp<ui::LPARAM>(l, 0, 9));
            if (w == app::AudioRecorderLink::kLevelR) levels.r = value;
            if (w == app::AudioRecorderLink::kLevelR + 1) levels.g = value;
            if (w == app::AudioRecorderLink::kLevelR + 2) levels.b = value;
            capture_.SetLevels(levels);
            // The end commands: 2 stops sending, 4 lets the sound go, 5 ends.
            if (w == 2 || w == 4) capture_.Pause(true);
            if (w == 5) ui::PostQuitMessage(0);
            return 0;
        }
        if (msg == ui::WM_TIMER && w == kCheckTimer) {
            if (signalled || capture_.Ended()) ui::PostQuitMessage(capture_.Failed() ? 1 : 0);
        }
        return 0;
    }

  private:
    Capture& capture_;
    ui::UINT styleMessage_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string input;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--input") == 0 && i + 1 < argc) {
            input = argv[++i];
        } else {
            std::fprintf(stderr, "usage: vivori-audio-recorder [--input FILE.wav]\n");
            return 2;
        }
    }
    Capture capture;
    std::string error;
    if (!input.empty()) {
        std::vector<float> samples = recorder::ReadWavMono(input, &error);
        if (samples.empty()) {
            std::fprintf(stderr, "vivori-audio-recorder: %s\n",
                         error.empty() ? "the file holds no sound" : error.c_str());
            return 1;
        }
        capture.UseSamples(std::move(samples));
    } else if (!capture.OpenServer(&error)) {
        std::fprintf(stderr, "vivori-audio-recorder: no sound server to capture from: %s\n",
                     error.c_str());
        return 1;
    }
    signal(SIGTERM, OnSignal);
    signal(SIGINT, OnSignal);
    ui::IpcEndpoint endpoint;
    if (!endpoint.Start()) {
        std::fprintf(stderr, "vivori-audio-recorder: no runtime folder to reach the application\n");
        return 1;
    }
    const ui::UINT styleMessage = ui::RegisterWindowMessage(app::kAudioStyleMessageName);
    RecorderWindow window(capture, styleMessage);
    const ui::HWND hwnd = window.CreateHandle(app::AudioRecorderLink::RecorderTitle(),
                                              app::AudioRecorderLink::RecorderClass());
    endpoint.SetCopyDataLimit(hwnd, app::AudioRecorderLink::kStyleLevels, 40);
    ui::SetTimer(hwnd, kCheckTimer, kCheckMs);
    capture.Start();
    const int code = ui::RunMessageLoop();
    capture.Stop();
    endpoint.Stop();
    return code != 0 || capture.Failed() ? 1 : 0;
}
