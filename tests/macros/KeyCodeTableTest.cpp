#include <gtest/gtest.h>

#include <set>
#include <utility>

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
