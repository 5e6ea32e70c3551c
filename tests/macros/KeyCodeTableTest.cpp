#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "macros/KeyCodeTable.h"

using namespace vivori::macros;

TEST(KeyCodeTable, EveryRowHasItsOwnCodeAndNameAndHookRowsTheirOwnScanCode) {
    const auto keys = KeyCodeTable();
    ASSERT_EQ(keys.size(), 142u);
    std::set<uint32_t> codes;
    std::set<std::string_view> names;
    std::set<std::pair<uint8_t, bool>> scans;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyCode& k = keys[i];
        EXPECT_TRUE(codes.insert(uint32_t(k.kind) << 16 | k.code1 << 8 | k.code2).second) << i;
        EXPECT_TRUE(names.insert(k.nameKey).second) << k.nameKey;
        EXPECT_EQ(k.hookIdentified, i < kHookIdentifiedRows) << i;
        if (k.hookIdentified) {
            EXPECT_TRUE(scans.insert({k.scanCode, k.extended}).second) << i;
        }
    }
}

TEST(KeyCodeTable, LooksUpRowsTheRecorderAndTheAssignmentPanelNeed) {
    // A: scan 0x1E; Enter vs keypad Enter differ only in the extended flag.
    EXPECT_EQ(FindKeyByScanCode(0x1E, false), 8u);
    EXPECT_EQ(FindKeyByScanCode(0x1C, false), 44u);
    EXPECT_EQ(FindKeyByScanCode(0x1C, true), 91u);
    EXPECT_EQ(FindKeyByScanCode(0x45, false), 75u);  // Pause
    EXPECT_EQ(FindKeyByScanCode(0x45, true), 86u);   // Num Lock
    EXPECT_FALSE(FindKeyByScanCode(0x00, false));
    // K42 is assignable but has no hook identity.
    EXPECT_EQ(FindKeyByCode(kKindKeyboard, 0, 0x32), 113u);
    EXPECT_EQ(FindKeyByCode(kKindConsumer, 0xCD, 0x00), 116u);  // play/pause 0x00CD
    EXPECT_EQ(KeyCodeTable()[141].nameKey, "keyboard_key_GM");
    EXPECT_EQ(KeyCodeTable()[130].nameKey, "wed_stop");

    const auto mouse = MouseEventTable();
    ASSERT_EQ(mouse.size(), 15u);
    EXPECT_EQ(mouse[8].button, 8);  // back is the first extra button
    EXPECT_EQ(mouse[8].typeByte & 0x80, 0x80);
    EXPECT_EQ(mouse[10].typeByte, 0x84);  // move left: horizontal, "down"
}

namespace {

// The reference table, row by row, written out from the published key list rather
// than from the code: name, virtual key, scan code, extended flag (rows 0-112 are
// the hook rows), kind, code1, code2.
struct ExpectedKey {
    std::string name;
    uint16_t vk;
    uint8_t scan;
    bool ext;
    uint8_t kind, code1, code2;
};

std::vector<ExpectedKey> ReferenceTable() {
    std::vector<ExpectedKey> rows = {
        {"LCtrl", 0xA2, 0x1D, 0, 0x20, 0x01, 0}, {"LShift", 0xA0, 0x2A, 0, 0x20, 0x02, 0},
        {"LAlt", 0xA4, 0x38, 0, 0x20, 0x04, 0},  {"LWin", 0x5B, 0x5B, 1, 0x20, 0x08, 0},
        {"RCtrl", 0xA3, 0x1D, 1, 0x20, 0x10, 0}, {"RShift", 0xA1, 0x36, 1, 0x20, 0x20, 0},
        {"RAlt", 0xA5, 0x38, 1, 0x20, 0x40, 0},  {"RWin", 0x5C, 0x5C, 1, 0x20, 0x80, 0},
    };
    const uint8_t letterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                     0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                     0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int i = 0; i < 26; ++i) {
        rows.push_back({std::string(1, char('A' + i)), uint16_t(0x41 + i), letterScans[i], 0, 0x20,
                        0, uint8_t(0x04 + i)});
    }
    for (int i = 0; i < 10; ++i) {  // 1..9 then 0
        rows.push_back({std::string(1, char(i == 9 ? '0' : '1' + i)),
                        uint16_t(i == 9 ? 0x30 : 0x31 + i), uint8_t(0x02 + i), 0, 0x20, 0,
                        uint8_t(0x1E + i)});
    }
    const std::vector<ExpectedKey> rest = {
        {"Enter", 0x0D, 0x1C, 0, 0x20, 0, 0x28},
        {"Esc", 0x1B, 0x01, 0, 0x20, 0, 0x29},
        {"BackSpace", 0x08, 0x0E, 0, 0x20, 0, 0x2A},
        {"Tab", 0x09, 0x0F, 0, 0x20, 0, 0x2B},
        {"Space", 0x20, 0x39, 0, 0x20, 0, 0x2C},
        {"-", 0xBD, 0x0C, 0, 0x20, 0, 0x2D},
        {"=", 0xBB, 0x0D, 0, 0x20, 0, 0x2E},
        {"[", 0xDB, 0x1A, 0, 0x20, 0, 0x2F},
        {"]", 0xDD, 0x1B, 0, 0x20, 0, 0x30},
        {"xiegang", 0xDC, 0x2B, 0, 0x20, 0, 0x31},
        {";", 0xBA, 0x27, 0, 0x20, 0, 0x33},
        {"'", 0xDE, 0x28, 0, 0x20, 0, 0x34},
        {"`", 0xC0, 0x29, 0, 0x20, 0, 0x35},
        {"<", 0xBC, 0x33, 0, 0x20, 0, 0x36},
        {".", 0xBE, 0x34, 0, 0x20, 0, 0x37},
        {"/", 0xBF, 0x35, 0, 0x20, 0, 0x38},
        {"Caplk", 0x14, 0x3A, 0, 0x20, 0, 0x39},
        {"F1", 0x70, 0x3B, 0, 0x20, 0, 0x3A},
        {"F2", 0x71, 0x3C, 0, 0x20, 0, 0x3B},
        {"F3", 0x72, 0x3D, 0, 0x20, 0, 0x3C},
        {"F4", 0x73, 0x3E, 0, 0x20, 0, 0x3D},
        {"F5", 0x74, 0x3F, 0, 0x20, 0, 0x3E},
        {"F6", 0x75, 0x40, 0, 0x20, 0, 0x3F},
        {"F7", 0x76, 0x41, 0, 0x20, 0, 0x40},
        {"F8", 0x77, 0x42, 0, 0x20, 0, 0x41},
        {"F9", 0x78, 0x43, 0, 0x20, 0, 0x42},
        {"F10", 0x79, 0x44, 0, 0x20, 0, 0x43},
        {"F11", 0x7A, 0x57, 0, 0x20, 0, 0x44},
        {"F12", 0x7B, 0x58, 0, 0x20, 0, 0x45},
        {"Print Scr", 0x2C, 0x37, 1, 0x20, 0, 0x46},
        {"Scroll Lock", 0x91, 0x46, 0, 0x20, 0, 0x47},
        {"Pause", 0x13, 0x45, 0, 0x20, 0, 0x48},
        {"Insert", 0x2D, 0x52, 1, 0x20, 0, 0x49},
        {"Home", 0x24, 0x47, 1, 0x20, 0, 0x4A},
        {"Page Up", 0x21, 0x49, 1, 0x20, 0, 0x4B},
        {"Delete", 0x2E, 0x53, 1, 0x20, 0, 0x4C},
        {"End", 0x23, 0x4F, 1, 0x20, 0, 0x4D},
        {"Page Down", 0x22, 0x51, 1, 0x20, 0, 0x4E},
        {"Right", 0x27, 0x4D, 1, 0x20, 0, 0x4F},
        {"Left", 0x25, 0x4B, 1, 0x20, 0, 0x50},
        {"Down", 0x28, 0x50, 1, 0x20, 0, 0x51},
        {"Up", 0x26, 0x48, 1, 0x20, 0, 0x52},
        {"Num Lock", 0x90, 0x45, 1, 0x20, 0, 0x53},
        {"Num /", 0x6F, 0x35, 1, 0x20, 0, 0x54},
        {"Num *", 0x6A, 0x37, 0, 0x20, 0, 0x55},
        {"Num -", 0x6D, 0x4A, 0, 0x20, 0, 0x56},
        {"Num +", 0x6B, 0x4E, 0, 0x20, 0, 0x57},
        {"Num Enter", 0x101, 0x1C, 1, 0x20, 0, 0x58},
        {"Num 1", 0x61, 0x4F, 0, 0x20, 0, 0x59},
        {"Num 2", 0x62, 0x50, 0, 0x20, 0, 0x5A},
        {"Num 3", 0x63, 0x51, 0, 0x20, 0, 0x5B},
        {"Num 4", 0x64, 0x4B, 0, 0x20, 0, 0x5C},
        {"Num 5", 0x65, 0x4C, 0, 0x20, 0, 0x5D},
        {"Num 6", 0x66, 0x4D, 0, 0x20, 0, 0x5E},
        {"Num 7", 0x67, 0x47, 0, 0x20, 0, 0x5F},
        {"Num 8", 0x68, 0x48, 0, 0x20, 0, 0x60},
        {"Num 9", 0x69, 0x49, 0, 0x20, 0, 0x61},
        {"Num 0", 0x60, 0x52, 0, 0x20, 0, 0x62},
        {"Decimal", 0x6E, 0x53, 0, 0x20, 0, 0x63},
        {"App", 0x5D, 0x5D, 1, 0x20, 0, 0x65},
        {"K45", 0xE2, 0x56, 0, 0x20, 0, 0x64},
        {"K56", 0xC1, 0x73, 0, 0x20, 0, 0x87},
        {"K14", 0xFF, 0x7D, 0, 0x20, 0, 0x89},
        {"K107", 0xC2, 0x7E, 0, 0x20, 0, 0x85},
        {"K131", 0xEB, 0x7B, 0, 0x20, 0, 0x8B},
        {"K132", 0xFF, 0x79, 0, 0x20, 0, 0x8A},
        {"K133", 0xFF, 0x70, 0, 0x20, 0, 0x88},
        {"K150", 0xE9, 0x71, 0, 0x20, 0, 0x91},
        {"K151", 0xFF, 0x72, 0, 0x20, 0, 0x90},
        {"K42", 0xBF, 0, 0, 0x20, 0, 0x32},
        // Consumer keys: code1 the usage's low byte, code2 its high byte.
        {"Launch App2", 0xB7, 0, 0, 0x30, 0x92, 0x01},
        {"Browaer Home", 0xAC, 0, 0, 0x30, 0x23, 0x02},
        {"Media Play Pause", 0xB3, 0, 0, 0x30, 0xCD, 0x00},
        {"Browser Search", 0xAA, 0, 0, 0x30, 0x21, 0x02},
        {"Launch Mail", 0xB4, 0, 0, 0x30, 0x8A, 0x01},
        {"Volume Up", 0xAF, 0, 0, 0x30, 0xE9, 0x00},
        {"Volume Mute", 0xAD, 0, 0, 0x30, 0xE2, 0x00},
        {"Media Stop", 0xB2, 0, 0, 0x30, 0xB7, 0x00},
        {"Volume Down", 0xAE, 0, 0, 0x30, 0xEA, 0x00},
        {"Browser Favorites", 0xAB, 0, 0, 0x30, 0x2A, 0x02},
        {"Browser ForWard", 0xA7, 0, 0, 0x30, 0x25, 0x02},
        {"Browser Back", 0xA6, 0, 0, 0x30, 0x24, 0x02},
        {"Media Prev Track", 0xB1, 0, 0, 0x30, 0xB6, 0x00},
        {"Media Next Track", 0xB0, 0, 0, 0x30, 0xB5, 0x00},
        {"Computer", 0xB6, 0, 0, 0x30, 0x94, 0x01},
        {"Browser Refresh", 0xA8, 0, 0, 0x30, 0x27, 0x02},
        {"wed_stop", 0xA9, 0, 0, 0x30, 0x26, 0x02},
        {"Launch Media Select", 0xB5, 0, 0, 0x30, 0x83, 0x01},
        {"Power", 0x103, 0, 0, 0x40, 1, 0},
        {"Sleep", 0x104, 0, 0, 0x40, 2, 0},
        {"Wakeup", 0x105, 0, 0, 0x40, 4, 0},
        {"M1", 0, 0, 0, 0xD0, 0xA2, 1},
        {"M2", 0, 0, 0, 0xD0, 0xA2, 2},
        {"M3", 0, 0, 0, 0xD0, 0xA2, 3},
        {"M4", 0, 0, 0, 0xD0, 0xA2, 4},
        {"M5", 0, 0, 0, 0xD0, 0xA2, 5},
        {"FN", 0, 0, 0, 0xA0, 0x01, 0},
        {"GM", 0, 0, 0, 0xA0, 0x1B, 0},
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    return rows;
}

}  // namespace

TEST(KeyCodeTable, EveryRowMatchesTheReferenceTable) {
    const auto expected = ReferenceTable();
    const auto keys = KeyCodeTable();
    ASSERT_EQ(expected.size(), 142u);
    ASSERT_EQ(keys.size(), expected.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const ExpectedKey& e = expected[i];
        const KeyCode& k = keys[i];
        const std::string name = e.name == "wed_stop" ? e.name : "keyboard_key_" + e.name;
        SCOPED_TRACE("row " + std::to_string(i) + " " + name);
        EXPECT_EQ(k.nameKey, name);
        EXPECT_EQ(k.virtualKey, e.vk);
        EXPECT_EQ(k.kind, e.kind);
        EXPECT_EQ(k.code1, e.code1);
        EXPECT_EQ(k.code2, e.code2);
        if (i < kHookIdentifiedRows) {
            EXPECT_EQ(k.scanCode, e.scan);
            EXPECT_EQ(k.extended, e.ext);
        }
    }
}
