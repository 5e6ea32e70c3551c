#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

// The headset's ten-band equaliser, done in software: the filter design, the filter
// that runs inside the sound server (our LADSPA plugin), and the small shared block
// through which the program hands the plugin new gains while it plays. No server, no
// UI: the plugin links this and nothing else of ours.
namespace vivori::audio::eq {

inline constexpr int kBands = 10;
// Octave bands, as the page labels them.
inline constexpr std::array<double, kBands> kCentreHz = {31,   62,   125,  250,  500,
                                                         1000, 2000, 4000, 8000, 16000};
// The band values the page sends are clamped to this, in dB.
inline constexpr double kMaxBandDb = 24.0;

// One second-order section, normalised (a0 = 1).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    // The magnitude in dB at frequency hz for sample rate rate.
    double ResponseDb(double hz, double rate) const;
};

// A peaking section: gainDb at centreHz, bandwidth set by q; exactly gainDb at the
// centre, 0 dB far from it, and the identity for 0 dB.
Biquad Peaking(double centreHz, double gainDb, double q, double rate);

// What the ten sections are set to for the ten band values wanted. Neighbouring
// octave bands overlap, so each section's own gain is solved for (from the bands'
// interaction at the centres) so that the whole curve passes through the wanted
// values at the ten centres. preGainDb (<= 0) keeps the curve's highest point at
// 0 dB, so boosted bands cannot clip.
struct Design {
    std::array<double, kBands> sectionDb{};
    std::array<Biquad, kBands> sections{};
    double preGainDb = 0;
    bool flat = true;
    // The whole curve, pre-gain included, in dB at hz.
    double ResponseDb(double hz) const;
    double rate = 48000;
};
Design DesignFor(const std::array<double, kBands>& bandDb, double rate);

// The filter for one channel. Gain changes glide over kRampMs (the sections are
// redesigned every few samples along the way), so nothing clicks; with all bands at
// 0 dB and the glide over, samples pass through untouched.
class Filter {
  public:
    static constexpr double kRampMs = 8.0;
    static constexpr int kStepFrames = 16;

    explicit Filter(double rate);
    // The bands to glide to; the same values again change nothing.
    void SetBands(const std::array<double, kBands>& bandDb);
    // in and out may be the same buffer.
    void Process(const float* in, float* out, size_t frames);
    // True while samples pass through untouched.
    bool Bypassed() const { return bypassed_; }
    const Design& Target() const { return target_; }

  private:
    void Retune(double fraction);

    double rate_;
    Design target_;
    std::array<double, kBands> fromDb_{};   // section gains where the glide started
    std::array<double, kBands> nowDb_{};    // section gains playing now
    double fromPre_ = 0, nowPre_ = 0;       // pre-gain, dB
    std::array<Biquad, kBands> now_{};
    std::array<std::array<double, 2>, kBands> state_{};
    double preLinear_ = 1;
    int rampFrames_ = 0;   // frames left in the glide
    int totalRamp_ = 0;
    int stepLeft_ = 0;     // frames until the next redesign
    bool bypassed_ = true;
    std::array<double, kBands> bands_{};
};

// The block the program shares with the plugin: the band values in hundredths of a
// dB, whether the equaliser is on, and a sequence number that is odd while the
// program writes (the plugin takes only an even, unchanged sequence).
struct ControlBlock {
    static constexpr uint32_t kMagic = 0x56455131;  // "VEQ1"
    uint32_t magic;
    int32_t ownerPid;  // the program that made it: a block whose owner is gone is stale
    std::atomic<uint32_t> sequence;
    std::atomic<int32_t> enabled;
    std::array<std::atomic<int32_t>, kBands> centiDb;
};
static_assert(std::atomic<uint32_t>::is_always_lock_free);

// The shared block's name (for shm_open) for a key; the key is what the program
// passes the plugin as its last control value.
std::string ControlBlockName(uint32_t key);

// The writer's and the reader's side of the sequence.
void WriteBands(ControlBlock& block, const std::array<double, kBands>& bandDb, bool enabled);
// True and the bands (0 dB everywhere when off) when the block holds a finished write
// newer than lastSequence, which is then updated.
bool ReadBands(const ControlBlock& block, uint32_t& lastSequence, std::array<double, kBands>& bandDb);

}  // namespace vivori::audio::eq
