// vivori-audio-recorder: captures what the desktop plays (the default sink's monitor,
// through the PulseAudio API, which PipeWire's pulse server serves too), turns it into
// frames of 500 spectrum values and sends them to the application's main window as
// spectrum copy-data, about 47 frames a second. It takes the style levels the main
// window sends, and ends on its end commands or a signal.
//
//   vivori-audio-recorder [--input FILE.wav]
//
// --input plays a WAV file (16-bit PCM or 32-bit float) in real time instead of
// capturing, then ends. Without a sound server, or with one that does not answer within
// kConnectMs, it prints one line and ends with 1. It ends with the program that started
// it, and on SIGTERM or SIGINT within kWaitSliceMs even while the sound server stalls:
// every wait on the server is a poll with a time-out.
#include <pulse/pulseaudio.h>
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
#include "platform/ChildProcess.h"
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
constexpr int kConnectMs = 5000;
constexpr int kWaitSliceMs = 50;

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

    // Connects to the sound server and opens its default monitor; false with the reason
    // when it cannot, when it does not answer in time, or when a signal came first.
    bool OpenServer(std::string* error) {
        loop_ = pa_mainloop_new();
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "vivori-audio-recorder");
        if (context_ == nullptr || pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS,
                                                      nullptr) < 0) {
            *error = context_ ? pa_strerror(pa_context_errno(context_)) : "no memory";
            return false;
        }
        if (!WaitUntil([this] { return ContextReady(); }, kConnectMs, error)) return false;
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, recorder::kSampleRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = recorder::kHopSize * sizeof(float);
        stream_ = pa_stream_new(context_, "spectrum", &format, nullptr);
        if (stream_ == nullptr ||
            pa_stream_connect_record(stream_, "@DEFAULT_MONITOR@", &attr,
                                     PA_STREAM_ADJUST_LATENCY) < 0) {
            *error = pa_strerror(pa_context_errno(context_));
            return false;
        }
        return WaitUntil([this] { return StreamReady(); }, kConnectMs, error);
    }
    void UseSamples(std::vector<float> samples) { samples_ = std::move(samples); }

    void Start() {
        thread_ = std::thread([this] { Run(); });
    }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (stream_ != nullptr) pa_stream_unref(stream_);
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_ != nullptr) pa_mainloop_free(loop_);
        stream_ = nullptr;
        context_ = nullptr;
        loop_ = nullptr;
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
    // One turn of the sound server's loop, waiting at most kWaitSliceMs for it.
    bool Iterate() {
        return pa_mainloop_prepare(loop_, kWaitSliceMs * 1000) >= 0 &&
               pa_mainloop_poll(loop_) >= 0 && pa_mainloop_dispatch(loop_) >= 0;
    }
    // nullopt while connecting, then whether it worked.
    std::optional<bool> ContextReady() {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) return true;
        if (!PA_CONTEXT_IS_GOOD(state)) return false;
        return std::nullopt;
    }
    std::optional<bool> StreamReady() {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY) return true;
        if (!PA_STREAM_IS_GOOD(state)) return false;
        return std::nullopt;
    }
    template <typename Ready>
    bool WaitUntil(Ready ready, int timeoutMs, std::string* error) {
        const uint32_t start = GetTickCount();
        while (!signalled) {
            if (const std::optional<bool> done = ready()) {
                if (!*done) *error = pa_strerror(pa_context_errno(context_));
                return *done;
            }
            if (int32_t(GetTickCount() - start) > timeoutMs) {
                *error = "the sound server does not answer";
                return false;
            }
            if (!Iterate()) {
                *error = pa_strerror(pa_context_errno(context_));
                return false;
            }
        }
        *error = "ended by a signal";
        return false;
    }
    // Fills `block` from the capture stream; false when the stream failed. Returns
    // with `block` not yet full when asked to stop, so a stalled server holds nobody.
    bool ReadBlock(std::vector<float>& block) {
        size_t filled = 0;
        const size_t wanted = block.size() * sizeof(float);
        auto* bytes = reinterpret_cast<uint8_t*>(block.data());
        while (filled < wanted && !stop_ && !signalled) {
            if (StreamReady() == false) return false;
            const void* data = nullptr;
            size_t size = 0;
            if (pa_stream_peek(stream_, &data, &size) < 0) return false;
            if (size == 0) {
                if (!Iterate()) return false;
                continue;
            }
            // A hole (data == nullptr) is silence.
            size_t take = std::min(size - pending_, wanted - filled);
            if (data != nullptr)
                std::memcpy(bytes + filled, static_cast<const uint8_t*>(data) + pending_, take);
            else
                std::memset(bytes + filled, 0, take);
            filled += take;
            pending_ += take;
            if (pending_ == size) {
                pa_stream_drop(stream_);
                pending_ = 0;
            }
        }
        return true;
    }

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
                if (!ReadBlock(block)) {
                    std::fprintf(stderr, "vivori-audio-recorder: capture failed: %s\n",
                                 pa_strerror(pa_context_errno(context_)));
                    failed_ = true;
                    break;
                }
                if (stop_ || signalled) break;
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

    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    size_t pending_ = 0;  // bytes of the peeked fragment already taken
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
    EndWithParent();
    // Set before connecting, so a signal also ends a connection attempt that hangs.
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
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
    ui::IpcEndpoint endpoint;
    if (!endpoint.Start()) {
        std::fprintf(stderr, "vivori-audio-recorder: no runtime folder to reach the application\n");
        return 1;
    }
    const ui::UINT styleMessage = ui::RegisterWindowMessage(app::kAudioStyleMessageName);
    endpoint.AllowRemotePost(styleMessage);
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
