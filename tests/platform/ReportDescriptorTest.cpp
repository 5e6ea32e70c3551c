#include <gtest/gtest.h>

#include <random>

#include "platform/hid/ReportDescriptor.h"
#include "sim/FamilyDescriptors.h"

using namespace vivori::hid;

TEST(ReportDescriptor, FamilyInterfaceParsesToItsFourCollectionsWithTheRightCaps) {
    auto parsed = ParseReportDescriptor(vivori::sim::FamilyInterfaceDescriptor());
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->collections.size(), 4u);

    const HidCaps& sys = parsed->collections[0].Caps();
    EXPECT_EQ(sys.usagePage, 0x01);
    EXPECT_EQ(sys.usage, 0x80);
    EXPECT_EQ(sys.inputReportByteLength, 2);

    const HidCaps& kbd = parsed->collections[1].Caps();
    EXPECT_EQ(kbd.usage, 0x06);
    EXPECT_EQ(kbd.inputReportByteLength, 15);  // 112 bits + report ID
    ASSERT_EQ(parsed->collections[1].ButtonCaps(ReportType::Input).size(), 1u);
    EXPECT_EQ(parsed->collections[1].ButtonCaps(ReportType::Input)[0].usageMin, 0x04);
    EXPECT_EQ(parsed->collections[1].ButtonCaps(ReportType::Input)[0].usageMax, 0x70);

    const HidCollection& notify = parsed->collections[2];
    EXPECT_EQ(notify.Caps().usagePage, 0x0C);
    EXPECT_EQ(notify.Caps().usage, 0x01);
    EXPECT_EQ(notify.Caps().inputReportByteLength, 3);
    ASSERT_EQ(notify.ButtonCaps(ReportType::Input).size(), 1u);
    EXPECT_TRUE(notify.ButtonCaps(ReportType::Input)[0].isRange);
    EXPECT_EQ(notify.ButtonCaps(ReportType::Input)[0].usageMax, 0xFFFF);
    EXPECT_EQ(notify.ButtonCaps(ReportType::Input)[0].reportId, 3);

    const HidCollection& command = parsed->collections[3];
    EXPECT_EQ(command.Caps().usagePage, 0xFF1C);
    EXPECT_EQ(command.Caps().usage, 0x92);
    EXPECT_EQ(command.Caps().inputReportByteLength, 64);
    EXPECT_EQ(command.Caps().outputReportByteLength, 64);
    EXPECT_EQ(command.Caps().featureReportByteLength, 0);
    ASSERT_EQ(command.ValueCaps(ReportType::Input).size(), 1u);
    EXPECT_EQ(command.ValueCaps(ReportType::Input)[0].reportCount, 63);
    EXPECT_EQ(command.ValueCaps(ReportType::Input)[0].bitSize, 8);
    EXPECT_TRUE(command.OwnsInputReport(4));
    EXPECT_FALSE(command.OwnsInputReport(3));
}

TEST(ReportDescriptor, NotificationCodeReadsBackFromTheArrayField) {
    auto parsed = ParseReportDescriptor(vivori::sim::FamilyInterfaceDescriptor());
    ASSERT_TRUE(parsed);
    const HidCollection& notify = parsed->collections[2];
    const uint8_t report[] = {3, 0x03, 0x11};
    std::vector<uint16_t> usages;
    ASSERT_EQ(notify.GetUsages(ReportType::Input, 0x0C, report, usages), HidStatus::Success);
    ASSERT_EQ(usages.size(), 1u);
    EXPECT_EQ(usages[0], 0x1103);
    // A report of another ID is not this field's.
    const uint8_t other[] = {4, 0x03, 0x11};
    EXPECT_EQ(notify.GetUsages(ReportType::Input, 0x0C, other, usages),
              HidStatus::IncompatibleReportId);
}

TEST(ReportDescriptor, ValuesAreSignExtendedAndScaled) {
    // One collection: an 8-bit signed value (-127..127) and a 12-bit unsigned one
    // scaled to a physical 0..4095 * 10.
    const std::vector<uint8_t> d = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,                                      //
        0x09, 0x30, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06,  //
        0x09, 0x31, 0x15, 0x00, 0x26, 0xFF, 0x0F, 0x35, 0x00, 0x46, 0xF6, 0x9F,  //
        0x75, 0x0C, 0x95, 0x01, 0x81, 0x02, 0x75, 0x04, 0x95, 0x01, 0x81, 0x01, 0xC0};
    auto parsed = ParseReportDescriptor(d);
    ASSERT_TRUE(parsed);
    const HidCollection& c = parsed->collections[0];
    EXPECT_EQ(c.Caps().inputReportByteLength, 4);  // no report IDs: a 0 byte leads
    EXPECT_FALSE(c.usesReportIds);
    const uint8_t report[] = {0, 0xFE, 0xFF, 0x0F};  // x = -2, y = 4095
    uint32_t raw = 0;
    int32_t scaled = 0;
    ASSERT_EQ(c.GetUsageValue(ReportType::Input, 0x01, 0x30, report, raw), HidStatus::Success);
    EXPECT_EQ(raw, 0xFEu);
    ASSERT_EQ(c.GetScaledUsageValue(ReportType::Input, 0x01, 0x30, report, scaled),
              HidStatus::Success);
    EXPECT_EQ(scaled, -2);
    ASSERT_EQ(c.GetScaledUsageValue(ReportType::Input, 0x01, 0x31, report, scaled),
              HidStatus::Success);
    EXPECT_EQ(scaled, 40950);
    EXPECT_EQ(c.GetUsageValue(ReportType::Input, 0x01, 0x38, report, raw),
              HidStatus::UsageNotFound);
}

TEST(ReportDescriptor, MalformedDescriptorsAreRefusedWithAReason) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"truncated item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}},
        {"unbalanced", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}},
        {"end without begin", {0xC0}},
        {"pop without push", {0xB4}},
        {"field outside a collection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"report size zero",
         {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x00, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"report too long",
         {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x20, 0x97, 0xFF, 0xFF, 0x00, 0x00, 0x81,
          0x02, 0xC0}},
        {"usage range upside down",
         {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x08, 0x29, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81,
          0x02, 0xC0}},
        {"report id zero", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"no collection at all", {0x05, 0x01, 0x09, 0x02}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(c.bytes, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    // Oversized input and deep nesting hit the limits rather than memory.
    std::vector<uint8_t> huge(DescriptorLimits::kMaxDescriptorBytes + 1, 0x00);
    EXPECT_FALSE(ParseReportDescriptor(huge));
    std::vector<uint8_t> deep;
    for (int i = 0; i < 200; ++i) deep.insert(deep.end(), {0xA1, 0x00});
    for (int i = 0; i < 200; ++i) deep.push_back(0xC0);
    EXPECT_FALSE(ParseReportDescriptor(deep));
    std::vector<uint8_t> pushes(40, 0xA4);
    EXPECT_FALSE(ParseReportDescriptor(pushes));
}

TEST(ReportDescriptor, RandomBytesNeverCrashTheParser) {
    std::mt19937 rng(1234);
    const auto family = vivori::sim::FamilyInterfaceDescriptor();
    for (int i = 0; i < 20000; ++i) {
        std::vector<uint8_t> bytes = family;
        // Mutate a few bytes of a real descriptor, sometimes cut it short.
        int flips = 1 + static_cast<int>(rng() % 6);
        for (int f = 0; f < flips; ++f) bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
        auto parsed = ParseReportDescriptor(bytes);
        if (!parsed) continue;
        for (const auto& c : parsed->collections) {
            std::vector<uint8_t> report(c.Caps().inputReportByteLength + 1, 0xA5);
            std::vector<uint16_t> usages;
            for (const auto& b : c.ButtonCaps(ReportType::Input))
                c.GetUsages(ReportType::Input, b.usagePage, report, usages);
            for (const auto& v : c.ValueCaps(ReportType::Input)) {
                int32_t scaled;
                c.GetScaledUsageValue(ReportType::Input, v.usagePage, v.usageMin, report, scaled);
            }
        }
    }
}

TEST(ReportDescriptor, AFieldListingSeveralUsagesGetsOneCapabilityPerUsage) {
    // A mouse: three buttons, then X, Y and the wheel listed in one field.
    const std::vector<uint8_t> mouse = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
        0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
        0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09,
        0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0};
    auto parsed = ParseReportDescriptor(mouse);
    ASSERT_TRUE(parsed);
    const HidCollection& c = parsed->collections[0];
    const auto& values = c.ValueCaps(ReportType::Input);
    ASSERT_EQ(values.size(), 3u);
    const uint16_t expected[] = {0x30, 0x31, 0x38};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(values[i].usageMin, expected[i]);
        EXPECT_EQ(values[i].usageMax, expected[i]);
        EXPECT_FALSE(values[i].isRange);
        EXPECT_EQ(values[i].reportCount, 1);
        EXPECT_EQ(values[i].dataIndexMin, 3 + i);  // after the three buttons
    }
    EXPECT_EQ(c.Caps().numberInputDataIndices, 6);
    const uint8_t report[] = {0, 0x01, 0x05, 0xFD, 0x01};
    int32_t y = 0;
    ASSERT_EQ(c.GetScaledUsageValue(ReportType::Input, 0x01, 0x31, report, y), HidStatus::Success);
    EXPECT_EQ(y, -3);

    // Two slots but three usages: the third names nothing. One usage over three
    // slots keeps them all.
    const std::vector<uint8_t> shortField = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x30, 0x09,
                                             0x31, 0x09, 0x38, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02,
                                             0x09, 0x32, 0x95, 0x03, 0x81, 0x02, 0xC0};
    parsed = ParseReportDescriptor(shortField);
    ASSERT_TRUE(parsed);
    const auto& caps = parsed->collections[0].ValueCaps(ReportType::Input);
    ASSERT_EQ(caps.size(), 3u);
    EXPECT_EQ(caps[1].usageMin, 0x31);
    EXPECT_EQ(caps[2].usageMin, 0x32);
    EXPECT_EQ(caps[2].reportCount, 3);
}
