// The software equaliser without a sound server: the design meets every preset at the
// band centres without clipping, the filter plays what the design says, glides
// without clicks and passes samples untouched when flat, and the plugin takes new
// gains from the program's shared block at its next block.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <ladspa.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "audio/Equaliser.h"
#include "audio/HeadsetEqualiser.h"

namespace vivori::audio::eq {
namespace {

using Bands = std::array<double, kBands>;

const Bands kPresets[12] = {
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},      {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},    {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},          {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},     {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},     {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},     {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
};
const Bands kFlat{};

std::vector<float> Sine(double hz, double amplitude, double rate, size_t frames) {
    std::vector<float> out(frames);
    for (size_t i = 0; i < frames; ++i) out[i] = float(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate));
    return out;
}

// The amplitude of frequency hz over samples [from, from + count).
double AmplitudeDb(const std::vector<float>& x, double hz, double rate, size_t from, size_t count) {
    double re = 0, im = 0;
    for (size_t i = 0; i < count; ++i) {
        const double phase = 2 * std::numbers::pi * hz * double(from + i) / rate;
        re += x[from + i] * std::cos(phase);
        im += x[from + i] * std::sin(phase);
    }
    return 20 * std::log10(2 * std::hypot(re, im) / double(count));
}

TEST(EqualiserDesignTest, EveryPresetIsMetAtTheBandCentresAndItsPeakStaysBelowFullScale) {
    for (double rate : {44100.0, 48000.0}) {
        for (int p = 0; p < 12; ++p) {
            const Design d = DesignFor(kPresets[p], rate);
            for (int k = 0; k < kBands; ++k)
                EXPECT_NEAR(d.ResponseDb(kCentreHz[size_t(k)]) - d.preGainDb, kPresets[p][size_t(k)], 0.1)
                    << "preset " << p + 1 << " band " << k << " at " << rate;
            EXPECT_LE(d.preGainDb, 0);
            for (double hz = 20; hz < 20000; hz *= 1.01)
                EXPECT_LE(d.ResponseDb(hz), 0.05) << "preset " << p + 1 << " at " << hz << " Hz";
        }
    }
    const Design flat = DesignFor(kFlat, 48000);
    EXPECT_TRUE(flat.flat);
    EXPECT_EQ(flat.preGainDb, 0);
    // A single section is exact at its centre by itself.
    EXPECT_NEAR(Peaking(1000, 18, 1.41, 48000).ResponseDb(1000, 48000), 18, 1e-9);
    EXPECT_NEAR(Peaking(1000, -12, 1.41, 48000).ResponseDb(60, 48000), 0, 0.3);
}

TEST(EqualiserFilterTest, SinesComeOutAtTheDesignedLevelAndFullScaleDoesNotClip) {
    constexpr double kRate = 48000;
    for (int p : {9, 12}) {
        const Design d = DesignFor(kPresets[p - 1], kRate);
        for (double hz : kCentreHz) {
            Filter filter(kRate);
            filter.SetBands(kPresets[p - 1]);
            const std::vector<float> in = Sine(hz, 0.99, kRate, size_t(kRate));
            std::vector<float> out(in.size());
            filter.Process(in.data(), out.data(), in.size());
            const size_t settled = size_t(kRate / 2);
            EXPECT_NEAR(AmplitudeDb(out, hz, kRate, settled, settled) - AmplitudeDb(in, hz, kRate, settled, settled),
                        d.ResponseDb(hz), 0.1)
                << "preset " << p << " at " << hz << " Hz";
            float peak = 0;
            for (size_t i = settled; i < out.size(); ++i) peak = std::max(peak, std::abs(out[i]));
            EXPECT_LE(peak, 1.0f) << "preset " << p << " at " << hz << " Hz";
        }
    }
}

TEST(EqualiserFilterTest, FlatPassesSamplesUntouchedBeforeAndAfterACurve) {
    constexpr double kRate = 48000;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1, 1);
    std::vector<float> in(4800);
    for (float& v : in) v = noise(random);
    std::vector<float> out(in.size());

    Filter filter(kRate);
    filter.Process(in.data(), out.data(), in.size());
    EXPECT_EQ(std::memcmp(in.data(), out.data(), in.size() * sizeof(float)), 0);

    filter.SetBands(kPresets[8]);
    filter.Process(in.data(), out.data(), in.size());
    EXPECT_NE(std::memcmp(in.data(), out.data(), in.size() * sizeof(float)), 0);
    filter.SetBands(kFlat);
    // The curve glides away and the filters' ringing dies out; then it is bypassed.
    std::vector<float> silence(48000, 0.0f), scratch(silence.size());
    filter.Process(silence.data(), scratch.data(), silence.size());
    EXPECT_TRUE(filter.Bypassed());
    filter.Process(in.data(), out.data(), in.size());
    EXPECT_EQ(std::memcmp(in.data(), out.data(), in.size() * sizeof(float)), 0);
}

TEST(EqualiserFilterTest, AGainChangeGlidesInWithinMillisecondsWithoutAStep) {
    constexpr double kRate = 48000;
    constexpr double kHz = 1000;
    const std::vector<float> in = Sine(kHz, 0.5, kRate, size_t(kRate / 2));
    std::vector<float> out(in.size());
    Filter filter(kRate);
    const size_t change = 4800;
    filter.Process(in.data(), out.data(), change);
    Bands boost{};
    boost[5] = 12;  // 1 kHz
    filter.SetBands(boost);
    filter.Process(in.data() + change, out.data() + change, in.size() - change);

    // No sample jumps further than the loudest sine can move in one sample.
    const double maxStep = 2 * std::numbers::pi * kHz / kRate * 0.5 * std::pow(10, 12.0 / 20) * 1.05;
    for (size_t i = 1; i < out.size(); ++i) ASSERT_LE(std::abs(out[i] - out[i - 1]), maxStep) << i;
    // Heard in full well within 50 ms (the glide is a few milliseconds).
    const size_t after = change + size_t(kRate * 0.02);
    const double expected = DesignFor(boost, kRate).ResponseDb(kHz) + 20 * std::log10(0.5);
    EXPECT_NEAR(AmplitudeDb(out, kHz, kRate, after, 960), expected, 0.2);
}

TEST(ControlBlockTest, TheReaderTakesOnlyFinishedNewWrites) {
    ControlBlock block{};
    block.magic = ControlBlock::kMagic;
    uint32_t last = 0;
    Bands read{};
    EXPECT_FALSE(ReadBands(block, last, read));  // nothing written yet

    WriteBands(block, kPresets[8], true);
    ASSERT_TRUE(ReadBands(block, last, read));
    EXPECT_EQ(read, kPresets[8]);
    EXPECT_FALSE(ReadBands(block, last, read));  // the same write again

    // A write under way (odd sequence) is not taken.
    block.sequence.fetch_add(1);
    EXPECT_FALSE(ReadBands(block, last, read));
    block.sequence.fetch_add(1);

    WriteBands(block, kPresets[8], false);  // off: played flat
    ASSERT_TRUE(ReadBands(block, last, read));
    EXPECT_EQ(read, kFlat);
    block.magic = 0;
    WriteBands(block, kPresets[0], true);
    EXPECT_FALSE(ReadBands(block, last, read));
}

TEST(ControlBlockTest, BlocksOfProgramsThatEndedAreRemovedAndOthersKept) {
    auto make = [](uint32_t key, size_t size, pid_t owner) {
        const int fd = shm_open(ControlBlockName(key).c_str(), O_CREAT | O_RDWR, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, off_t(size)), 0);
        if (size >= sizeof(ControlBlock)) {
            ControlBlock block{};
            block.magic = ControlBlock::kMagic;
            block.ownerPid = owner;
            EXPECT_EQ(pwrite(fd, &block, sizeof block, 0), ssize_t(sizeof block));
        }
        close(fd);
    };
    auto exists = [](uint32_t key) {
        const int fd = shm_open(ControlBlockName(key).c_str(), O_RDONLY, 0);
        if (fd >= 0) close(fd);
        return fd >= 0;
    };
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    make(16777001, sizeof(ControlBlock), ended);
    make(16777002, sizeof(ControlBlock), getpid());
    make(16777003, 0, 0);  // one being made: nothing to read yet
    HeadsetEqualiser::RemoveStaleBlocks();
    EXPECT_FALSE(exists(16777001));
    EXPECT_TRUE(exists(16777002));
    EXPECT_TRUE(exists(16777003));
    shm_unlink(ControlBlockName(16777002).c_str());
    shm_unlink(ControlBlockName(16777003).c_str());
}

// The plugin as the sound server runs it, fed by the program's side.
class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        library_ = dlopen(VIVORI_EQ_PLUGIN_FILE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(library_, "ladspa_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor_ = entry(0);
        ASSERT_NE(descriptor_, nullptr);
        EXPECT_EQ(entry(1), nullptr);
        // No server is asked: the program's side is used only for its shared block.
        setenv("PULSE_SERVER", "unix:/nonexistent/vivori-no-server", 1);
    }
    void TearDown() override {
        unsetenv("PULSE_SERVER");
        if (library_ != nullptr) dlclose(library_);
    }
    void* library_ = nullptr;
    const LADSPA_Descriptor* descriptor_ = nullptr;
};

TEST_F(PluginTest, GainsComeFromTheControlsAndThenFromTheProgramsBlockAtTheNextRun) {
    constexpr unsigned long kRate = 48000;
    constexpr size_t kBlock = 1152;  // 24 ms, a server block; whole periods of 125 Hz
    ASSERT_EQ(descriptor_->PortCount, 13u);
    EXPECT_STREQ(descriptor_->Label, HeadsetEqualiser::kPluginLabel);
    LADSPA_Handle handle = descriptor_->instantiate(descriptor_, kRate);
    ASSERT_NE(handle, nullptr);
    std::array<LADSPA_Data, 11> controls{};
    for (int b = 0; b < kBands; ++b) controls[size_t(b)] = float(kPresets[8][size_t(b)]);
    std::vector<float> in = Sine(125, 0.25, kRate, kBlock), out(kBlock);
    descriptor_->connect_port(handle, 0, in.data());
    descriptor_->connect_port(handle, 1, out.data());
    for (unsigned long p = 0; p < controls.size(); ++p) descriptor_->connect_port(handle, 2 + p, &controls[p]);

    auto levelAfter = [&](int runs) {
        for (int i = 0; i < runs; ++i) descriptor_->run(handle, kBlock);
        return AmplitudeDb(out, 125, kRate, 0, kBlock) - 20 * std::log10(0.25);
    };
    // 125 Hz is band 2: -4 dB in preset 9, less the pre-gain.
    EXPECT_NEAR(levelAfter(20), DesignFor(kPresets[8], kRate).ResponseDb(125), 0.3);

    {
        HeadsetEqualiser program(HeadsetEqualiser::Options{});
        ASSERT_NE(program.Key(), 0u);
        program.SetEnabled(true);
        for (int b = 0; b < kBands; ++b) program.SetBand(b, kPresets[10][size_t(b)]);
        controls[10] = float(program.Key());
        // The very next block plays the program's gains (the glide takes 8 ms of it).
        EXPECT_NEAR(levelAfter(2), DesignFor(kPresets[10], kRate).ResponseDb(125), 0.3);
        program.SetBand(2, 0);
        Bands changed = kPresets[10];
        changed[2] = 0;
        EXPECT_NEAR(levelAfter(2), DesignFor(changed, kRate).ResponseDb(125), 0.3);
        program.SetEnabled(false);
        EXPECT_NEAR(levelAfter(60), 0.0, 0.05);
    }
    descriptor_->cleanup(handle);
}

}  // namespace
}  // namespace vivori::audio::eq
