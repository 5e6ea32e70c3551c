#include <gtest/gtest.h>

#include "macros/AssignmentCodes.h"

using namespace vivori::macros;

namespace {

constexpr uint32_t kCurrent = 0x100100;  // left button
constexpr uint32_t kDefault = 0x100200;  // right button

uint32_t Encode(const AssignmentForm& form, size_t macros = 3) {
    return EncodeAssignment(form, kCurrent, kDefault, macros);
}

AssignmentForm Form(AssignCategory category) {
    AssignmentForm form;
    form.category = category;
    return form;
}

TEST(AssignmentCodes, ListRowsEncodeAndDecodeInBothDirections) {
    struct Case {
        AssignCategory category;
        int AssignmentForm::*row;
        std::span<const uint32_t> rows;
    } cases[] = {{AssignCategory::MouseButton, &AssignmentForm::mouseButtonRow, MouseButtonRows()},
                 {AssignCategory::Dpi, &AssignmentForm::dpiRow, DpiRows()},
                 {AssignCategory::Media, &AssignmentForm::mediaRow, MediaRows()},
                 {AssignCategory::System, &AssignmentForm::systemRow, SystemRows()},
                 {AssignCategory::Shortcut, &AssignmentForm::shortcutRow, ShortcutRows()}};
    EXPECT_EQ(ShortcutRows().size(), 142u);
    EXPECT_EQ(ShortcutRows()[0], 0x201012u);     // right Ctrl + O
    EXPECT_EQ(ShortcutRows()[11], 0u);           // the empty row
    EXPECT_EQ(MouseButtonRows()[1], 0x100400u);  // middle before right
    EXPECT_EQ(MediaRows()[1], 0x30CD00u);        // low byte of the usage first
    for (const Case& c : cases) {
        for (int row : {0, int(c.rows.size()) - 1}) {
            AssignmentForm form = Form(c.category);
            form.*c.row = row;
            const uint32_t code = Encode(form);
            EXPECT_EQ(code, c.rows[size_t(row)]);
            if (code == 0) continue;  // the empty shortcut row shows as nothing
            const AssignmentForm shown = DecodeAssignment(code);
            if (c.category != AssignCategory::Shortcut) {
                EXPECT_EQ(shown.category, c.category);
                EXPECT_EQ(shown.*c.row, row);
            }
        }
        // No row selected, or one past the list: the current code stays.
        AssignmentForm none = Form(c.category);
        EXPECT_EQ(Encode(none), kCurrent);
        none.*c.row = int(c.rows.size());
        EXPECT_EQ(Encode(none), kCurrent);
    }
}

TEST(AssignmentCodes, SwingAndWheelPackTimingCountAndDirection) {
    AssignmentForm swing = Form(AssignCategory::Swing);
    swing.swingDelay = 3, swing.swingSpeed = 5, swing.swingCount = 10, swing.swingDirection = 1;
    EXPECT_EQ(Encode(swing), 0x11358Au);
    EXPECT_EQ(DecodeAssignment(0x11358A), swing);
    swing.swingDirection = 0, swing.swingDelay = 19;  // truncated to its 4 bits
    EXPECT_EQ(Encode(swing), 0x11350Au);

    AssignmentForm wheel = Form(AssignCategory::Wheel);
    wheel.wheelCount = 3, wheel.wheelDirection = 1;
    EXPECT_EQ(Encode(wheel) & 0xFF, 0xFDu);                    // the negative count
    EXPECT_EQ(DecodeAssignment(Encode(wheel)).wheelCount, 3);  // shown as typed
    EXPECT_EQ(DecodeAssignment(Encode(wheel)).wheelDirection, 1);
    wheel.wheelDirection = 0;
    EXPECT_EQ(Encode(wheel) & 0xFF, 0x03u);
}

TEST(AssignmentCodes, KeyboardKeyMacroRecoilAndAutoFire) {
    AssignmentForm key = Form(AssignCategory::KeyboardKey);
    key.modifierOption = 2, key.keyUsage = 0x04;  // Shift + A
    EXPECT_EQ(Encode(key), 0x200204u);
    key.modifierOption = -1, key.keyUsage = -1;  // nothing chosen, empty key field
    EXPECT_EQ(Encode(key), 0x200000u);
    // Right-hand modifier bits show as the same option.
    EXPECT_EQ(DecodeAssignment(0x201004).modifierOption, 1);
    EXPECT_EQ(DecodeAssignment(0x200804).modifierOption, 4);

    AssignmentForm macro = Form(AssignCategory::Macro);
    macro.macroIndex = 2, macro.playMode = 4, macro.repeatCount = 7;
    EXPECT_EQ(Encode(macro), 0x710207u);
    EXPECT_EQ(DecodeAssignment(0x710207), macro);
    macro.playMode = 1;
    EXPECT_EQ(Encode(macro), 0x700201u);
    EXPECT_EQ(Encode(macro, 2), kCurrent);  // macro 2 does not exist
    macro.macroIndex = -1;
    EXPECT_EQ(Encode(macro), kCurrent);

    AssignmentForm gun = Form(AssignCategory::Recoil);
    gun.recoilIndex = 3;
    EXPECT_EQ(Encode(gun), 0x720300u);
    EXPECT_EQ(Encode(Form(AssignCategory::Recoil)), kCurrent);

    AssignmentForm fire = Form(AssignCategory::AutoFire);
    fire.fireInterval = 300, fire.fireCount = 2;  // 8 bits each
    EXPECT_EQ(Encode(fire), 0x142C02u);
    EXPECT_EQ(Encode(Form(AssignCategory::Default)), kDefault);
}

TEST(AssignmentCodes, CodesThePanelDoesNotShowSelectNothing) {
    for (uint32_t code : {0xD0A201u, 0xA01B00u, 0xB00000u, 0u}) {
        EXPECT_EQ(DecodeAssignment(code), AssignmentForm{}) << std::hex << code;
        EXPECT_EQ(CategoryOf(code), AssignCategory::Default);
    }
    EXPECT_EQ(ParseField("12"), 12);
    EXPECT_EQ(ParseField("1a"), 0);
    EXPECT_EQ(ParseField(""), 0);
    EXPECT_EQ(DescribeAssignment(0x710207), "macro 2, repeated 7 times");
}

}  // namespace
