#include <gtest/gtest.h>

#include "SimFixture.h"
#include "device/MacroImage.h"

using namespace vivori;
using namespace vivori::testing;

namespace {

std::vector<MacroEvent> Events(size_t n) {
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < n; ++i)
        events.push_back(
            {i % 2 == 0, 0x20, static_cast<uint8_t>(0x04 + i), static_cast<uint16_t>(100 * i + 1)});
    return events;
}

uint16_t Word(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

TEST(MacroImage, TwoMacrosLayOutHeaderOffsetTableAndRecords) {
    const MacroImage image = BuildMacroImage({Events(3), Events(5)}, 256);
    ASSERT_TRUE(image.Fits());
    const auto& b = image.bytes;
    ASSERT_EQ(b.size(), 60u);
    EXPECT_EQ(b[0], 0xAA);
    EXPECT_EQ(b[1], 0x55);
    EXPECT_EQ(Word(b, 2), 60);
    EXPECT_EQ(Word(b, 4), 2);
    for (size_t i = 6; i < 16; ++i) EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(Word(b, 16), 20);
    EXPECT_EQ(Word(b, 18), 36);
    EXPECT_EQ(Word(b, 20), 3);
    EXPECT_EQ(Word(b, 22), 0);
    EXPECT_EQ(Word(b, 36), 5);
    // Second event of the second macro: a release, delay 101, button 5.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 44, b.begin() + 48),
              (std::vector<uint8_t>{101, 0, 0x20, 0x05}));
    EXPECT_EQ(b[42], 0xA0);  // first event: a press
}

TEST(MacroImage, EventRecordMasksTheTypeToSevenBits) {
    EXPECT_EQ(EncodeEventRecord({true, 0xFF, 0x11, 0x1234}),
              (std::array<uint8_t, 4>{0x34, 0x12, 0xFF, 0x11}));
    EXPECT_EQ(EncodeEventRecord({false, 0xFF, 0x11, 0}),
              (std::array<uint8_t, 4>{0, 0, 0x7F, 0x11}));
}

TEST(MacroImage, OverflowIsCountedInEventsAndLeavesNoBytes) {
    // 16 + 6 + 4 x 70 = 302 bytes for a 256-byte memory: 46 / 4 + 1 = 12 too many.
    const MacroImage image = BuildMacroImage({Events(70)}, 256);
    EXPECT_FALSE(image.Fits());
    EXPECT_EQ(image.eventsTooMany, 12);
    EXPECT_TRUE(image.bytes.empty());
    // Exactly full fits.
    EXPECT_TRUE(BuildMacroImage({Events(70)}, 302).Fits());
    EXPECT_EQ(BuildMacroImage({Events(70)}, 301).eventsTooMany, 1);
}

TEST(MacroImage, ImagesPastTheSixteenBitFieldsAreRefused) {
    // A memory larger than the format can address does not lift the limit.
    const MacroImage big = BuildMacroImage({Events(16380)}, 1 << 20);
    EXPECT_FALSE(big.Fits());
    EXPECT_EQ(big.eventsTooMany, (16 + 6 + 4 * 16380 - 0xFFFF) / 4 + 1);

    std::array<std::vector<MacroEvent>, kShootPatterns> patterns{Events(180), Events(180),
                                                                 Events(180), Events(180)};
    const MacroImage shoot = BuildShootImage(patterns);
    ASSERT_TRUE(shoot.Fits());
    EXPECT_EQ(Word(shoot.bytes, 4), 4);
    EXPECT_EQ(shoot.bytes.size(), 16u + 6 * 4 + 4 * 720);
    patterns[3] = Events(16000);
    EXPECT_FALSE(BuildShootImage(patterns).Fits());
}

TEST_F(SimTransportTest, MacroImageSentThroughTheReceiverLandsInMacroMemory) {
    AttachReceiver();
    const MacroImage image = BuildMacroImage({Events(3), Events(5)}, 32 * 128);
    ASSERT_TRUE(image.Fits());
    ASSERT_EQ(transport->WriteMacroImage(image.bytes.data(), image.bytes.size()), CMD_OK);
    EXPECT_EQ(PagesOf(*receiver, CMD_WRITE_MACROS),
              (std::vector<Page>{{24, 0}, {24, 24}, {12, 48}}));
    const auto memory = Firmware().Memory(sim::Area::Macros);
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 60), image.bytes);
}
