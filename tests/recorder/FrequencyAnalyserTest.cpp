// The audio recorder's analysis and its WAV input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "FrequencyAnalyser.h"

namespace vivori::recorder {
namespace {

std::vector<float> Tone(double hz, double seconds, double amplitude = 0.5) {
    std::vector<float> out(size_t(seconds * kSampleRate));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = float(amplitude * std::sin(2 * 3.14159265358979 * hz * double(i) / kSampleRate));
    return out;
}

std::array<int32_t, kFrameValues> LastFrame(SpectrumAnalyser& analyser, const std::vector<float>& s,
                                            int* frames = nullptr) {
    std::array<int32_t, kFrameValues> last{};
    int count = 0;
    analyser.Add(s, [&](const auto& frame) {
        last = frame;
        ++count;
    });
    if (frames) *frames = count;
    return last;
}

TEST(SpectrumAnalyser, AToneLightsItsOwnBandsAndLeavesTheOthersLow) {
    SpectrumAnalyser analyser;
    int frames = 0;
    const auto frame = LastFrame(analyser, Tone(1000, 0.5), &frames);
    EXPECT_EQ(frames, (kSampleRate / 2 - kFftSize) / kHopSize + 1);  // one per hop
    const int band = BandOfFrequency(1000);
    EXPECT_GT(frame[size_t(band)], 1500);
    for (double far : {100.0, 300.0, 4000.0, 12000.0})
        EXPECT_LT(frame[size_t(BandOfFrequency(far))], 300) << far;
    // The R level scales the values; silence falls to 0 at once with G 0.
    analyser.SetLevels({.r = 2, .g = 0, .b = 0});
    const auto quieter = LastFrame(analyser, Tone(1000, 0.1));
    EXPECT_LT(quieter[size_t(band)], frame[size_t(band)] / 2);
    const auto silent = LastFrame(analyser, std::vector<float>(kFftSize * 2, 0.0f));
    EXPECT_EQ(silent[size_t(band)], 0);
}

TEST(SpectrumAnalyser, BandLayoutCoversFortyHertzToSixteenKilohertzOnALogScale) {
    EXPECT_EQ(BandOfFrequency(40), 0);
    EXPECT_EQ(BandOfFrequency(15999), kFrameValues - 1);
    EXPECT_EQ(BandOfFrequency(39), -1);
    EXPECT_EQ(BandOfFrequency(16000), -1);
    EXPECT_EQ(BandOfFrequency(1000), 268);  // band 13 of the keyboard's 25
    EXPECT_EQ(BandOfFrequency(800) + 50, BandOfFrequency(800 * std::pow(400.0, 0.1)));
}

TEST(WavInput, ReadsWhatItWroteAndRefusesWhatIsNotAWav) {
    const auto folder = std::filesystem::temp_directory_path();
    const std::string path = (folder / "vivori-recorder-test.wav").string();
    const auto tone = Tone(440, 0.2);
    ASSERT_TRUE(WriteWavMono(path, tone));
    std::string error;
    const auto back = ReadWavMono(path, &error);
    ASSERT_EQ(back.size(), tone.size()) << error;
    EXPECT_NEAR(back[100], tone[100], 1e-4);
    // Cut short mid-sample: what is whole is read, nothing past the end.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1001);
    EXPECT_EQ(ReadWavMono(path, &error).size(), tone.size() - 501);
    std::ofstream(path, std::ios::binary) << "RIFF0000WAVEjunk";
    EXPECT_TRUE(ReadWavMono(path, &error).empty());
    EXPECT_NE(error.find("no data chunk"), std::string::npos) << error;
    std::ofstream(path, std::ios::binary) << "not a sound";
    EXPECT_TRUE(ReadWavMono(path, &error).empty());
    EXPECT_TRUE(ReadWavMono((folder / "no-such-file.wav").string(), &error).empty());
    std::filesystem::remove(path);
}

TEST(StyleLevelsPayload, HoldsEachLevelToItsRangeAndRefusesAShortPayload) {
    auto payload = [](std::vector<int32_t> values) {
        std::vector<uint8_t> bytes(values.size() * sizeof(int32_t));
        std::memcpy(bytes.data(), values.data(), bytes.size());
        return bytes;
    };
    const auto levels = StyleLevelsOfPayload(payload({7, 0, 3, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(levels);
    EXPECT_EQ(std::tuple(levels->r, levels->g, levels->b), std::tuple(7, 0, 3));
    const auto hostile = StyleLevelsOfPayload(payload({-2147483647 - 1, 1000, -1}));
    ASSERT_TRUE(hostile);
    EXPECT_EQ(std::tuple(hostile->r, hostile->g, hostile->b), std::tuple(0, 9, 0));
    EXPECT_FALSE(StyleLevelsOfPayload(std::vector<uint8_t>(11, 1)));
}

}  // namespace
}  // namespace vivori::recorder
