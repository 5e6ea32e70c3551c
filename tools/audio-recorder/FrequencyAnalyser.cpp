#include "FrequencyAnalyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>

namespace vivori::recorder {
namespace {

constexpr double kRangeDb = 80.0;
constexpr double kPi = 3.14159265358979323846;
// Planning is not thread-safe in FFTW.
std::mutex planMutex;

double BandEdge(int band) {
    return kLowestHz * std::pow(kHighestHz / kLowestHz, double(band) / kFrameValues);
}

}  // namespace

struct SpectrumAnalyser::Fft {
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    fftwf_plan plan = nullptr;
    Fft() {
        std::lock_guard lock(planMutex);
        in = fftwf_alloc_real(kFftSize);
        out = fftwf_alloc_complex(kFftSize / 2 + 1);
        plan = fftwf_plan_dft_r2c_1d(kFftSize, in, out, FFTW_ESTIMATE);
    }
    ~Fft() {
        std::lock_guard lock(planMutex);
        fftwf_destroy_plan(plan);
        fftwf_free(in);
        fftwf_free(out);
    }
};

int BandOfFrequency(double hz) {
    if (hz < kLowestHz || hz >= kHighestHz) return -1;
    const int band =
        int(std::floor(kFrameValues * std::log(hz / kLowestHz) / std::log(kHighestHz / kLowestHz)));
    return std::clamp(band, 0, kFrameValues - 1);
}

SpectrumAnalyser::SpectrumAnalyser() : fft_(std::make_unique<Fft>()), hann_(kFftSize) {
    for (int i = 0; i < kFftSize; ++i)
        hann_[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * kPi * i / (kFftSize - 1)));
    const double binHz = double(kSampleRate) / kFftSize;
    for (int b = 0; b < kFrameValues; ++b) {
        int first = int(std::ceil(BandEdge(b) / binHz));
        int last = int(std::ceil(BandEdge(b + 1) / binHz)) - 1;
        if (last < first)
            first = last = int(std::lround(std::sqrt(BandEdge(b) * BandEdge(b + 1)) / binHz));
        bins_[size_t(b)] = {std::clamp(first, 1, kFftSize / 2), std::clamp(last, 1, kFftSize / 2)};
    }
}

SpectrumAnalyser::~SpectrumAnalyser() = default;

const std::array<int32_t, kFrameValues>& SpectrumAnalyser::Analyse() {
    for (int i = 0; i < kFftSize; ++i) fft_->in[i] = window_[size_t(i)] * hann_[size_t(i)];
    fftwf_execute(fft_->plan);
    // A full-scale sine gives a peak of about N/4 with the Hann window.
    const double reference = kFftSize / 4.0;
    const double floorDb = -kRangeDb + 3.0 * std::clamp(levels_.b, 0, 9);
    const double gain = std::clamp(levels_.r, 0, 9) / 5.0;
    // G: how much of the previous value is kept while it falls.
    const double keep = std::clamp(levels_.g, 0, 9) / 10.0;
    for (int b = 0; b < kFrameValues; ++b) {
        double peak = 0;
        for (int k = bins_[size_t(b)].first; k <= bins_[size_t(b)].second; ++k)
            peak = std::max(peak, double(std::hypot(fft_->out[k][0], fft_->out[k][1])));
        const double db = 20.0 * std::log10(std::max(peak / reference, 1e-9));
        const double level = std::clamp((db - floorDb) / (0.0 - floorDb), 0.0, 1.0);
        const int32_t value = int32_t(std::lround(std::min(level * gain, 1.0) * kFullScale));
        int32_t& out = frame_[size_t(b)];
        out = value >= out ? value : int32_t(std::lround(out * keep + value * (1 - keep)));
    }
    return frame_;
}

// ---- WAV ----

namespace {

template <typename T>
bool Get(std::ifstream& in, T& value) {
    return bool(in.read(reinterpret_cast<char*>(&value), sizeof(T)));
}

}  // namespace

std::optional<StyleLevels> StyleLevelsOfPayload(std::span<const uint8_t> payload) {
    int32_t rgb[3];
    if (payload.size() < sizeof(rgb)) return std::nullopt;
    std::memcpy(rgb, payload.data(), sizeof(rgb));
    return StyleLevels{std::clamp(rgb[0], 0, 9), std::clamp(rgb[1], 0, 9),
                       std::clamp(rgb[2], 0, 9)};
}

std::vector<float> ReadWavMono(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        *error = path + ": " + why;
        return std::vector<float>();
    };
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail("cannot be opened");
    char riff[4], wave[4];
    uint32_t size = 0;
    if (!in.read(riff, 4) || !Get(in, size) || !in.read(wave, 4) ||
        std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(wave, "WAVE", 4) != 0)
        return fail("not a WAV file");
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    bool haveFormat = false;
    for (;;) {
        char id[4];
        uint32_t length = 0;
        if (!in.read(id, 4) || !Get(in, length)) return fail("no data chunk");
        if (std::memcmp(id, "fmt ", 4) == 0) {
            uint32_t byteRate = 0;
            uint16_t align = 0;
            if (length < 16 || !Get(in, format) || !Get(in, channels) || !Get(in, rate) ||
                !Get(in, byteRate) || !Get(in, align) || !Get(in, bits))
                return fail("bad format chunk");
            in.seekg(length - 16 + (length & 1), std::ios::cur);
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat) return fail("data before format");
            const bool pcm16 = format == 1 && bits == 16;
            const bool float32 = format == 3 && bits == 32;
            if (!pcm16 && !float32) return fail("only 16-bit PCM or 32-bit float is read");
            if (channels == 0 || channels > 16 || rate < 1000 || rate > 384000)
                return fail("unusual channel count or rate");
            // Bounded by what the file holds, whatever the header says: a header that
            // claims 4 GB must not cost a buffer of that size.
            const size_t frameBytes = size_t(channels) * (bits / 8);
            const std::streampos here = in.tellg();
            in.seekg(0, std::ios::end);
            const std::streamoff left = in.tellg() - here;
            in.seekg(here);
            std::vector<char> raw(
                std::min<size_t>({length, size_t(std::max<std::streamoff>(left, 0)), 512u << 20}));
            in.read(raw.data(), std::streamsize(raw.size()));
            raw.resize(size_t(in.gcount()) / frameBytes * frameBytes);
            const size_t frames = raw.size() / frameBytes;
            std::vector<float> mono(frames);
            for (size_t f = 0; f < frames; ++f) {
                double sum = 0;
                for (size_t c = 0; c < channels; ++c) {
                    const char* at = raw.data() + f * frameBytes + c * (bits / 8);
                    if (pcm16) {
                        int16_t v;
                        std::memcpy(&v, at, 2);
                        sum += v / 32768.0;
                    } else {
                        float v;
                        std::memcpy(&v, at, 4);
                        sum += std::isfinite(v) ? v : 0.0;
                    }
                }
                mono[f] = float(sum / channels);
            }
            if (rate == uint32_t(kSampleRate)) return mono;
            const double step = double(rate) / kSampleRate;
            std::vector<float> out(size_t(double(frames) / step));
            for (size_t i = 0; i < out.size(); ++i) {
                const double at = i * step;
                const size_t k = size_t(at);
                const double t = at - double(k);
                const float next = k + 1 < frames ? mono[k + 1] : mono[k];
                out[i] = float(mono[k] * (1 - t) + next * t);
            }
            return out;
        } else {
            in.seekg(length + (length & 1), std::ios::cur);
        }
    }
}

bool WriteWavMono(const std::string& path, std::span<const float> samples) {
    std::ofstream out(path, std::ios::binary);
    auto put = [&](auto v) { out.write(reinterpret_cast<const char*>(&v), sizeof(v)); };
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    out.write("RIFF", 4);
    put(uint32_t(36 + dataBytes));
    out.write("WAVEfmt ", 8);
    put(uint32_t(16));
    put(uint16_t(1));
    put(uint16_t(1));
    put(uint32_t(kSampleRate));
    put(uint32_t(kSampleRate * 2));
    put(uint16_t(2));
    put(uint16_t(16));
    out.write("data", 4);
    put(dataBytes);
    for (float s : samples) put(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767)));
    return bool(out);
}

}  // namespace vivori::recorder
