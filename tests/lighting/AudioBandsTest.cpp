// The reduction of the audio recorder's spectrum frames to the keyboard's 25 bands.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "lighting/AudioBands.h"

namespace vivori::lighting {
namespace {

std::vector<int32_t> Frame(int32_t band0, int32_t at20) {
    std::vector<int32_t> frame(kSpectrumValues, 0);
    std::fill(frame.begin(), frame.begin() + kSpectrumBandWidth, band0);
    frame[20] = at20;
    return frame;
}

TEST(SpectrumReducer, EveryThirdFrameDeliversMeansWorkedByHand) {
    SpectrumReducer reducer;
    // Band 0: changes of 20 (from 0), then 10, then 100 on each of its 20 values.
    // Band 1: its first value jumps to 1000, back to 0, then stays.
    EXPECT_FALSE(reducer.Add(Frame(20, 1000)));
    EXPECT_EQ(reducer.Means()[0], 20);  // (0 + 20 x 20) / 20
    EXPECT_EQ(reducer.Means()[1], 50);  // (0 + 1000) / 20
    // Spread of band 1: (0 + 950^2 + 19 x 50^2) / 19, square root, truncated.
    EXPECT_EQ(reducer.Spreads()[1], 223);
    EXPECT_FALSE(reducer.Add(Frame(30, 0)));
    EXPECT_EQ(reducer.Means()[0], 11);  // (20 + 200) / 20
    EXPECT_EQ(reducer.Means()[1], 52);  // (50 + 1000) / 20
    EXPECT_TRUE(reducer.Add(Frame(130, 0)));
    EXPECT_EQ(reducer.Means()[0], 100);  // (11 + 2000) / 20
    EXPECT_EQ(reducer.Means()[1], 2);    // (52 + 0) / 20
    for (int j = 2; j < kSpectrumBands; ++j) EXPECT_EQ(reducer.Means()[size_t(j)], 0);
    // The count starts again: two more frames are not delivered.
    EXPECT_FALSE(reducer.Add(Frame(130, 0)));
    EXPECT_FALSE(reducer.Add(Frame(130, 0)));
    EXPECT_TRUE(reducer.Add(Frame(130, 0)));
}

TEST(SpectrumReducer, ExtremeValuesNeitherOverflowNorWrap) {
    SpectrumReducer reducer;
    std::vector<int32_t> low(kSpectrumValues, std::numeric_limits<int32_t>::min());
    std::vector<int32_t> high(kSpectrumValues, std::numeric_limits<int32_t>::max());
    reducer.Add(low);
    reducer.Add(high);  // changes of 2^32 - 1 everywhere
    for (int32_t mean : reducer.Means()) EXPECT_EQ(mean, std::numeric_limits<int32_t>::max());
    for (int32_t spread : reducer.Spreads()) EXPECT_GE(spread, 0);
    // A short frame counts its missing values as 0.
    reducer.Add(std::vector<int32_t>(10, 5));
    EXPECT_GE(reducer.Means()[24], 0);
}

}  // namespace
}  // namespace vivori::lighting
