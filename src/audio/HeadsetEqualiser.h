#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "audio/Equaliser.h"

namespace vivori::audio {

// The headset's equaliser in the sound server (PulseAudio, or PipeWire's pulse
// server): a LADSPA sink "vivori_headset_eq" running our plugin, whose output goes to
// the headset's sink. Making it moves the streams playing on the headset onto it (and
// the default sink, when the headset was the default); removing it moves them back.
//
// Gains reach the plugin at once through a shared block; the server is only talked to
// on a worker thread of this object, each exchange bounded in time, so no caller
// waits on the server.
class HeadsetEqualiser {
  public:
    static constexpr const char* kSinkName = "vivori_headset_eq";
    static constexpr const char* kSinkDescription = "Headset (equaliser)";
    static constexpr const char* kPluginLabel = "vivori_headset_eq";

    enum class State {
        Off,          // not asked for, or removed
        Starting,     // being set up
        Running,      // the sink is there
        NoServer,     // no sound server answered
        NoHeadsetSink,  // the server has no sink for the headset
        Failed,       // the server refused the sink (or the plugin is missing)
    };

    struct Options {
        // The headset's sink by name; empty: the sink of ALSA card alsaCard, or the one
        // whose USB ids are these.
        std::string headsetSink;
        int alsaCard = -1;
        std::string usbVendor = "0c76";
        std::string usbProduct = "1630";
        std::string plugin;  // empty: PluginPath()
        int timeoutMs = 3000;  // for one set-up or removal
    };

    explicit HeadsetEqualiser(Options options);
    // Removes the sink and waits for that (bounded by the timeout).
    ~HeadsetEqualiser();
    HeadsetEqualiser(const HeadsetEqualiser&) = delete;
    HeadsetEqualiser& operator=(const HeadsetEqualiser&) = delete;

    // On: the sink is set up (once; again after a failure, at most every two
    // seconds); off: the filter passes the sound through, the sink stays.
    void SetEnabled(bool on);
    // A band value in dB; heard at the server's next rendered block.
    void SetBand(int band, double db);
    bool Enabled() const;
    double Band(int band) const;
    // After a failed set-up, while the sink is wanted: tries again (at most every two
    // seconds), so a server that starts later is found.
    void Retry();
    // Removes the sink, on the worker; returns at once.
    void Release();
    State GetState() const { return state_.load(); }
    // Waits until the worker has done what was asked; false on timeout.
    bool WaitSettled(int timeoutMs);
    // The plugin's last control value: names the block the gains go through.
    uint32_t Key() const { return key_; }

    // The plugin: $VIVORI_EQ_PLUGIN, else lib/vivori-trivex/ beside the program's
    // folder, else beside the program.
    static std::string PluginPath();
    // Removes the shared blocks that programs no longer running left behind.
    static void RemoveStaleBlocks();

  private:
    void Request(bool wanted);
    void Publish();
    void Loop();
    void SetUp();
    void TakeDown();

    Options options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable settled_;
    bool wanted_ = false;
    bool quit_ = false;
    uint64_t requested_ = 0;
    uint64_t handled_ = 0;
    bool enabled_ = false;
    std::array<double, eq::kBands> bands_{};
    int64_t lastAttemptMs_ = -100000;

    eq::ControlBlock* block_ = nullptr;
    uint32_t key_ = 0;

    // The worker's own.
    bool running_ = false;
    uint32_t module_ = UINT32_MAX;
    std::string headsetName_;

    std::atomic<State> state_{State::Off};
    std::thread worker_;
};

}  // namespace vivori::audio
