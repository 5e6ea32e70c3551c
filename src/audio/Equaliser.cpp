#include "audio/Equaliser.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

namespace vivori::audio::eq {
namespace {

// One octave wide: neighbours overlap, which the gain solve below makes up for, and
// the curve between two centres stays smooth.
constexpr double kQ = 1.41;
// The gain each section's overlap is measured at; the solve is redone on the real
// curve, so this only sets where it starts.
constexpr double kProbeDb = 12.0;
constexpr int kSolvePasses = 3;
// A section's own gain may go past the band value to make up for its neighbours,
// within reason.
constexpr double kMaxSectionDb = kMaxBandDb + 12.0;
// Below this the filters' memory no longer matters at any output resolution.
constexpr double kSilentState = 1e-9;

double CentreFor(int band, double rate) {
    // A band above what the rate can carry sits just below its upper edge.
    return std::min(kCentreHz[size_t(band)], 0.45 * rate);
}

using Matrix = std::array<std::array<double, kBands>, kBands>;

// Solves m x = b by Gaussian elimination with partial pivoting; m is well
// conditioned (a band's own centre dominates its row).
std::array<double, kBands> Solve(Matrix m, std::array<double, kBands> b) {
    for (int col = 0; col < kBands; ++col) {
        int pivot = col;
        for (int r = col + 1; r < kBands; ++r)
            if (std::abs(m[size_t(r)][size_t(col)]) > std::abs(m[size_t(pivot)][size_t(col)])) pivot = r;
        std::swap(m[size_t(col)], m[size_t(pivot)]);
        std::swap(b[size_t(col)], b[size_t(pivot)]);
        const double diag = m[size_t(col)][size_t(col)];
        if (std::abs(diag) < 1e-12) continue;
        for (int r = col + 1; r < kBands; ++r) {
            const double f = m[size_t(r)][size_t(col)] / diag;
            for (int c = col; c < kBands; ++c) m[size_t(r)][size_t(c)] -= f * m[size_t(col)][size_t(c)];
            b[size_t(r)] -= f * b[size_t(col)];
        }
    }
    std::array<double, kBands> x{};
    for (int r = kBands - 1; r >= 0; --r) {
        double sum = b[size_t(r)];
        for (int c = r + 1; c < kBands; ++c) sum -= m[size_t(r)][size_t(c)] * x[size_t(c)];
        const double diag = m[size_t(r)][size_t(r)];
        x[size_t(r)] = std::abs(diag) < 1e-12 ? 0 : sum / diag;
    }
    return x;
}

double SectionsDb(const std::array<Biquad, kBands>& sections, double hz, double rate) {
    double sum = 0;
    for (const Biquad& s : sections) sum += s.ResponseDb(hz, rate);
    return sum;
}

}  // namespace

double Biquad::ResponseDb(double hz, double rate) const {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2);
    return 20 * std::log10(std::max(std::abs(h), 1e-12));
}

Biquad Peaking(double centreHz, double gainDb, double q, double rate) {
    if (gainDb == 0) return {};  // exactly the identity
    const double a = std::pow(10.0, gainDb / 40);
    const double w0 = 2 * std::numbers::pi * centreHz / rate;
    const double alpha = std::sin(w0) / (2 * q);
    const double cosW = std::cos(w0);
    const double a0 = 1 + alpha / a;
    return {.b0 = (1 + alpha * a) / a0,
            .b1 = -2 * cosW / a0,
            .b2 = (1 - alpha * a) / a0,
            .a1 = -2 * cosW / a0,
            .a2 = (1 - alpha / a) / a0};
}

double Design::ResponseDb(double hz) const {
    return preGainDb + SectionsDb(sections, hz, rate);
}

Design DesignFor(const std::array<double, kBands>& bandDb, double rate) {
    Design d;
    d.rate = rate;
    std::array<double, kBands> wanted{};
    for (int b = 0; b < kBands; ++b)
        wanted[size_t(b)] = std::clamp(std::isfinite(bandDb[size_t(b)]) ? bandDb[size_t(b)] : 0.0,
                                       -kMaxBandDb, kMaxBandDb);
    d.flat = std::all_of(wanted.begin(), wanted.end(), [](double g) { return g == 0; });
    if (d.flat) return d;

    Matrix overlap{};
    for (int m = 0; m < kBands; ++m) {
        const Biquad probe = Peaking(CentreFor(m, rate), kProbeDb, kQ, rate);
        for (int k = 0; k < kBands; ++k)
            overlap[size_t(k)][size_t(m)] = probe.ResponseDb(CentreFor(k, rate), rate) / kProbeDb;
    }
    // Start from the linear estimate, then correct on the real curve: the overlap is
    // not quite proportional to the gain.
    std::array<double, kBands> gains = Solve(overlap, wanted);
    for (int pass = 0; pass < kSolvePasses; ++pass) {
        for (int m = 0; m < kBands; ++m) {
            gains[size_t(m)] = std::clamp(gains[size_t(m)], -kMaxSectionDb, kMaxSectionDb);
            d.sections[size_t(m)] = Peaking(CentreFor(m, rate), gains[size_t(m)], kQ, rate);
        }
        std::array<double, kBands> error{};
        for (int k = 0; k < kBands; ++k)
            error[size_t(k)] = wanted[size_t(k)] - SectionsDb(d.sections, CentreFor(k, rate), rate);
        const std::array<double, kBands> step = Solve(overlap, error);
        for (int m = 0; m < kBands; ++m) gains[size_t(m)] += step[size_t(m)];
    }
    for (int m = 0; m < kBands; ++m) {
        d.sectionDb[size_t(m)] = std::clamp(gains[size_t(m)], -kMaxSectionDb, kMaxSectionDb);
        d.sections[size_t(m)] = Peaking(CentreFor(m, rate), d.sectionDb[size_t(m)], kQ, rate);
    }

    // The curve's highest point, on a fine grid over the audible range.
    double peak = 0;
    const double top = std::min(20000.0, 0.49 * rate);
    constexpr int kPoints = 240;
    for (int i = 0; i <= kPoints; ++i) {
        const double hz = 20 * std::pow(top / 20, double(i) / kPoints);
        peak = std::max(peak, SectionsDb(d.sections, hz, rate));
    }
    d.preGainDb = -peak;
    return d;
}

// ---- the filter ----

Filter::Filter(double rate) : rate_(rate > 0 ? rate : 48000) {
    target_ = DesignFor(bands_, rate_);
}

void Filter::SetBands(const std::array<double, kBands>& bandDb) {
    if (bandDb == bands_) return;
    bands_ = bandDb;
    target_ = DesignFor(bandDb, rate_);
    fromDb_ = nowDb_;
    fromPre_ = nowPre_;
    totalRamp_ = rampFrames_ = std::max(kStepFrames, int(std::lround(kRampMs * rate_ / 1000)));
    stepLeft_ = 0;
    bypassed_ = false;
}

void Filter::Retune(double fraction) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    for (int m = 0; m < kBands; ++m) {
        nowDb_[size_t(m)] = fromDb_[size_t(m)] + (target_.sectionDb[size_t(m)] - fromDb_[size_t(m)]) * fraction;
        now_[size_t(m)] = Peaking(CentreFor(m, rate_), nowDb_[size_t(m)], kQ, rate_);
    }
    nowPre_ = fromPre_ + (target_.preGainDb - fromPre_) * fraction;
    preLinear_ = std::pow(10.0, nowPre_ / 20);
}

void Filter::Process(const float* in, float* out, size_t frames) {
    constexpr size_t kChunk = 256;
    double work[kChunk];
    while (frames > 0) {
        if (bypassed_) {
            if (in != out) std::memmove(out, in, frames * sizeof(float));
            return;
        }
        if (rampFrames_ > 0 && stepLeft_ == 0) {
            const int done = totalRamp_ - rampFrames_ + kStepFrames;
            Retune(double(done) / totalRamp_);
            stepLeft_ = kStepFrames;
        }
        size_t n = std::min(frames, kChunk);
        if (rampFrames_ > 0) n = std::min(n, size_t(stepLeft_));
        for (size_t i = 0; i < n; ++i) work[i] = double(in[i]) * preLinear_;
        for (int m = 0; m < kBands; ++m) {
            const Biquad& s = now_[size_t(m)];
            // The identity section (0 dB, settled) costs nothing.
            if (nowDb_[size_t(m)] == 0 && state_[size_t(m)][0] == 0 && state_[size_t(m)][1] == 0) continue;
            double s1 = state_[size_t(m)][0], s2 = state_[size_t(m)][1];
            for (size_t i = 0; i < n; ++i) {
                const double x = work[i];
                const double y = s.b0 * x + s1;
                s1 = s.b1 * x - s.a1 * y + s2;
                s2 = s.b2 * x - s.a2 * y;
                work[i] = y;
            }
            // Decayed memory is dropped before it turns into slow denormals.
            state_[size_t(m)] = {std::abs(s1) < 1e-30 ? 0 : s1, std::abs(s2) < 1e-30 ? 0 : s2};
        }
        for (size_t i = 0; i < n; ++i) out[i] = float(work[i]);
        in += n;
        out += n;
        frames -= n;
        if (rampFrames_ > 0) {
            rampFrames_ -= int(n);
            stepLeft_ -= int(n);
            if (rampFrames_ <= 0) {
                rampFrames_ = 0;
                stepLeft_ = 0;
                Retune(1.0);
            }
        }
        if (rampFrames_ == 0 && target_.flat) {
            // Flat and the filters' ringing died away: from here on samples pass
            // through untouched.
            bool quiet = true;
            for (const auto& st : state_) quiet = quiet && std::abs(st[0]) < kSilentState && std::abs(st[1]) < kSilentState;
            if (quiet) {
                for (auto& st : state_) st = {0, 0};
                bypassed_ = true;
            }
        }
    }
}

// ---- the shared block ----

std::string ControlBlockName(uint32_t key) {
    return "/vivori-headset-eq-" + std::to_string(key);
}

void WriteBands(ControlBlock& block, const std::array<double, kBands>& bandDb, bool enabled) {
    const uint32_t s = block.sequence.load(std::memory_order_relaxed);
    block.sequence.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    block.enabled.store(enabled ? 1 : 0, std::memory_order_relaxed);
    for (int b = 0; b < kBands; ++b)
        block.centiDb[size_t(b)].store(int32_t(std::lround(std::clamp(bandDb[size_t(b)], -kMaxBandDb, kMaxBandDb) * 100)),
                                       std::memory_order_relaxed);
    block.sequence.store(s + 2, std::memory_order_release);
}

bool ReadBands(const ControlBlock& block, uint32_t& lastSequence, std::array<double, kBands>& bandDb) {
    if (block.magic != ControlBlock::kMagic) return false;
    const uint32_t before = block.sequence.load(std::memory_order_acquire);
    if ((before & 1) != 0 || before == lastSequence) return false;
    const bool enabled = block.enabled.load(std::memory_order_relaxed) != 0;
    std::array<double, kBands> read{};
    for (int b = 0; b < kBands; ++b)
        read[size_t(b)] = enabled ? block.centiDb[size_t(b)].load(std::memory_order_relaxed) / 100.0 : 0.0;
    std::atomic_thread_fence(std::memory_order_acquire);
    if (block.sequence.load(std::memory_order_relaxed) != before) return false;
    lastSequence = before;
    bandDb = read;
    return true;
}

}  // namespace vivori::audio::eq
