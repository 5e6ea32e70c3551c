// Any bytes as each copy-data payload exchanged with the audio recorder: a spectrum
// frame and a short level frame as the main window takes them (reduced to bands and
// drawn by the music and level light modes), and the style levels as the recorder
// takes them (then analysing a block of sound with them); and as the WAV file the
// recorder plays instead of capturing. Nothing may crash or overflow.

#include <algorithm>
#include <cmath>

#include "FrequencyAnalyser.h"
#include "FuzzFolder.h"
#include "lighting/AudioBands.h"
#include "lighting/LightEngine.h"

using namespace vivori;

namespace {

// The main window's buffers.
constexpr size_t kSpectrumBytes = 4200;
constexpr size_t kLevelBytes = 156;

void DrawLight(const lighting::SpectrumFrame& spectrum,
               const std::optional<std::array<int32_t, 6>>& levels) {
    lighting::SpectrumReducer reducer;
    lighting::LightEngine engine;
    if (spectrum.verdict == lighting::SpectrumFrame::Verdict::Taken) {
        reducer.Add(spectrum.values);
        const std::array<int, lighting::kSpectrumBands> bands = reducer.Means();
        lighting::LightSettings settings;
        settings.mode = 29;
        for (int style = 0; style <= 6; ++style) {
            engine.SetMusicSettings({style, {0, 0, 0}, {255, 255, 255}, style % 2 == 1});
            engine.Apply(settings);
            engine.SetMusicInput(bands);
            engine.Step(uint32_t(style) * 40);
        }
    }
    if (levels) {
        lighting::LightSettings settings;
        settings.mode = 30;
        engine.Apply(settings);
        engine.SetLevelInput(std::span<const int>(levels->data(), levels->size()));
        engine.Step(0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> payload(data, size);
    DrawLight(lighting::ReadSpectrumFrame(payload, kSpectrumBytes),
              lighting::ReadLevelFrame(payload, kLevelBytes));

    const auto wav = fuzz::WriteInput(fuzz::ScratchFolder() / "input.wav", data, size);
    std::string error;
    const std::vector<float> samples = recorder::ReadWavMono(wav.string(), &error);
    for (float s : samples)
        if (!std::isfinite(s)) __builtin_trap();

    if (const auto levels = recorder::StyleLevelsOfPayload(payload)) {
        // The analysis is deterministic per input: a fresh analyser, the file's first
        // frames (or silence) analysed with the payload's levels.
        recorder::SpectrumAnalyser analyser;
        analyser.SetLevels(*levels);
        const size_t take = std::min<size_t>(samples.size(), 2 * recorder::kFftSize);
        analyser.Add(std::span<const float>(samples.data(), take), [](const auto&) {});
        for (int32_t value : analyser.Analyse())
            if (value < 0 || value > recorder::kFullScale) __builtin_trap();
    }
    return 0;
}
