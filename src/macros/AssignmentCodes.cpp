#include "macros/AssignmentCodes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "macros/KeyCodeTable.h"
#include "macros/MacroAssignments.h"

namespace vivori::macros {
namespace {

constexpr uint32_t Code(uint8_t type, uint8_t code1, uint8_t code2) {
    return uint32_t(type) << 16 | uint32_t(code1) << 8 | code2;
}

constexpr uint32_t kMouseButtons[] = {Code(0x10, 0x01, 0), Code(0x10, 0x04, 0), Code(0x10, 0x02, 0),
                                      Code(0x10, 0x10, 0), Code(0x10, 0x08, 0)};
constexpr uint32_t kDpi[] = {Code(0x13, 1, 0), Code(0x13, 2, 0), Code(0x13, 3, 0)};
constexpr uint16_t kMediaUsages[] = {0x0183, 0x00CD, 0x00B7, 0x00B6, 0x00B5, 0x00EA,
                                     0x00E9, 0x00E2, 0x0223, 0x0227, 0x0226, 0x0224,
                                     0x0225, 0x022A, 0x0221, 0x0194, 0x0192, 0x018A};
constexpr uint32_t kSystem[] = {Code(0x40, 1, 0), Code(0x40, 2, 0), Code(0x40, 4, 0)};
constexpr uint8_t kShortcutKeys[] = {0x12, 0x11, 0x1D, 0x16, 0x06, 0x1B,
                                     0x19, 0x09, 0x04, 0x2D, 0x2E};
constexpr uint8_t kShortcutModifier = 0x10;  // right Ctrl
constexpr size_t kModifierRows = 8;
constexpr size_t kLastKeyRow = 113;
constexpr size_t kLastConsumerRow = 129;

const std::vector<uint32_t>& Media() {
    static const std::vector<uint32_t> rows = [] {
        std::vector<uint32_t> out;
        for (uint16_t usage : kMediaUsages)
            out.push_back(Code(kKindConsumer, uint8_t(usage & 0xFF), uint8_t(usage >> 8)));
        return out;
    }();
    return rows;
}

const std::vector<uint32_t>& Shortcuts() {
    static const std::vector<uint32_t> rows = [] {
        std::vector<uint32_t> out;
        for (uint8_t key : kShortcutKeys)
            out.push_back(Code(kKindKeyboard, kShortcutModifier, key));
        out.push_back(0);
        const auto table = KeyCodeTable();
        for (size_t r = 0; r <= kLastConsumerRow && r < table.size(); ++r) {
            if (r >= kModifierRows && r <= kLastKeyRow && table[r].kind != kKindKeyboard) continue;
            out.push_back(Code(table[r].kind, table[r].code1, table[r].code2));
        }
        return out;
    }();
    return rows;
}

// The option of a modifier bit: Ctrl, Shift, Alt, Win on either hand.
int ModifierOption(uint8_t bits) {
    const uint8_t folded = uint8_t((bits | bits >> 4) & 0x0F);
    for (int option = 1; option < kModifierOptions; ++option)
        if (folded & (1 << (option - 1))) return option;
    return 0;
}

uint32_t RowCode(std::span<const uint32_t> rows, int row, uint32_t current) {
    return row >= 0 && size_t(row) < rows.size() ? rows[size_t(row)] : current;
}

uint8_t Timing(int delay, int speed) {
    return uint8_t((delay & 0x0F) << 4 | (speed & 0x0F));
}

}  // namespace

std::span<const uint32_t> MouseButtonRows() {
    return kMouseButtons;
}
std::span<const uint32_t> DpiRows() {
    return kDpi;
}
std::span<const uint32_t> MediaRows() {
    return Media();
}
std::span<const uint32_t> SystemRows() {
    return kSystem;
}
std::span<const uint32_t> ShortcutRows() {
    return Shortcuts();
}

std::optional<int> RowOf(std::span<const uint32_t> rows, uint32_t code) {
    const auto found = std::find(rows.begin(), rows.end(), code);
    if (found == rows.end()) return std::nullopt;
    return int(found - rows.begin());
}

int ParseField(std::string_view text) {
    long long value = 0;
    if (text.empty()) return 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        value = std::min<long long>(value * 10 + (c - '0'), 1'000'000);
    }
    return int(value);
}

uint32_t EncodeAssignment(const AssignmentForm& f, uint32_t current, uint32_t defaultCode,
                          size_t macroCount) {
    switch (f.category) {
        case AssignCategory::Default:
            return defaultCode;
        case AssignCategory::MouseButton:
            return RowCode(kMouseButtons, f.mouseButtonRow, current);
        case AssignCategory::Swing:
            return Code(kAssignSwing, Timing(f.swingDelay, f.swingSpeed),
                        uint8_t((f.swingCount & 0x7F) | (f.swingDirection == 1 ? 0x80 : 0)));
        case AssignCategory::Wheel: {
            // The second direction counts down: a negative 8-bit count.
            const uint8_t count = f.wheelDirection == 1
                                      ? uint8_t((128 - (f.wheelCount & 0x7F)) | 0x80)
                                      : uint8_t(f.wheelCount & 0x7F);
            return Code(kAssignWheel, Timing(f.wheelDelay, f.wheelSpeed), count);
        }
        case AssignCategory::Dpi:
            return RowCode(kDpi, f.dpiRow, current);
        case AssignCategory::AutoFire:
            return Code(kAssignAutoFire, uint8_t(f.fireInterval), uint8_t(f.fireCount));
        case AssignCategory::KeyboardKey: {
            const uint8_t modifier = f.modifierOption <= 0 || f.modifierOption >= kModifierOptions
                                         ? 0
                                         : uint8_t(1 << (f.modifierOption - 1));
            return Code(kKindKeyboard, modifier, uint8_t(f.keyUsage < 0 ? 0 : f.keyUsage));
        }
        case AssignCategory::Media:
            return RowCode(Media(), f.mediaRow, current);
        case AssignCategory::System:
            return RowCode(kSystem, f.systemRow, current);
        case AssignCategory::Macro:
            if (f.macroIndex < 0 || size_t(f.macroIndex) >= macroCount || f.playMode < 0 ||
                f.playMode > kRepeatPlayMode)
                return current;
            if (f.playMode == kRepeatPlayMode)
                return Code(kAssignMacroRepeat, uint8_t(f.macroIndex), uint8_t(f.repeatCount));
            return Code(kAssignMacro, uint8_t(f.macroIndex), uint8_t(f.playMode));
        case AssignCategory::Recoil:
            if (f.recoilIndex < 0) return current;
            return Code(kAssignRecoil, uint8_t(f.recoilIndex), 0);
        case AssignCategory::Shortcut:
            return RowCode(Shortcuts(), f.shortcutRow, current);
    }
    return defaultCode;
}

AssignCategory CategoryOf(uint32_t code) {
    switch (uint8_t(code >> 16)) {
        case kAssignMouseButton:
            return AssignCategory::MouseButton;
        case kAssignSwing:
            return AssignCategory::Swing;
        case kAssignWheel:
            return AssignCategory::Wheel;
        case kAssignDpi:
            return AssignCategory::Dpi;
        case kAssignAutoFire:
            return AssignCategory::AutoFire;
        case kKindKeyboard:
            return AssignCategory::KeyboardKey;
        case kKindConsumer:
            return AssignCategory::Media;
        case kKindSystem:
            return AssignCategory::System;
        case kAssignMacro:
        case kAssignMacroRepeat:
            return AssignCategory::Macro;
        case kAssignRecoil:
            return AssignCategory::Recoil;
        default:
            return AssignCategory::Default;
    }
}

AssignmentForm DecodeAssignment(uint32_t code) {
    AssignmentForm f;
    const uint8_t type = uint8_t(code >> 16), code1 = uint8_t(code >> 8), code2 = uint8_t(code);
    f.category = CategoryOf(code);
    switch (f.category) {
        case AssignCategory::MouseButton:
            f.mouseButtonRow = RowOf(kMouseButtons, code).value_or(-1);
            break;
        case AssignCategory::Swing:
            f.swingDelay = code1 >> 4, f.swingSpeed = code1 & 0x0F;
            f.swingCount = code2 & 0x7F, f.swingDirection = code2 >> 7;
            break;
        case AssignCategory::Wheel:
            f.wheelDelay = code1 >> 4, f.wheelSpeed = code1 & 0x0F;
            f.wheelDirection = code2 >> 7;
            // The count that was typed, not the stored negative one.
            f.wheelCount = f.wheelDirection == 1 ? 128 - (code2 & 0x7F) : code2 & 0x7F;
            break;
        case AssignCategory::Dpi:
            f.dpiRow = RowOf(kDpi, code).value_or(-1);
            break;
        case AssignCategory::AutoFire:
            f.fireInterval = code1, f.fireCount = code2;
            break;
        case AssignCategory::KeyboardKey:
            f.modifierOption = ModifierOption(code1);
            f.keyUsage = code2 == 0 ? -1 : code2;
            f.shortcutRow = RowOf(Shortcuts(), code).value_or(-1);
            break;
        case AssignCategory::Media:
            f.mediaRow = RowOf(Media(), code).value_or(-1);
            break;
        case AssignCategory::System:
            f.systemRow = RowOf(kSystem, code).value_or(-1);
            break;
        case AssignCategory::Macro:
            f.macroIndex = code1;
            f.playMode = type == kAssignMacroRepeat ? kRepeatPlayMode : code2;
            if (type == kAssignMacroRepeat) f.repeatCount = code2;
            break;
        case AssignCategory::Recoil:
            f.recoilIndex = code1;
            break;
        default:
            break;
    }
    return f;
}

std::string DescribeAssignment(uint32_t code) {
    const uint8_t type = uint8_t(code >> 16), code1 = uint8_t(code >> 8), code2 = uint8_t(code);
    char text[96];
    switch (CategoryOf(code)) {
        case AssignCategory::MouseButton:
            std::snprintf(text, sizeof text, "mouse button 0x%02x", code1);
            break;
        case AssignCategory::Swing:
        case AssignCategory::Wheel:
            std::snprintf(
                text, sizeof text, "%s: delay %d, speed %d, count %d, direction %d",
                type == kAssignSwing ? "swing" : "wheel", code1 >> 4, code1 & 15,
                type == kAssignWheel && (code2 & 0x80) ? 128 - (code2 & 0x7F) : code2 & 0x7F,
                code2 >> 7);
            break;
        case AssignCategory::Dpi:
            std::snprintf(text, sizeof text, "DPI function %d", code1);
            break;
        case AssignCategory::AutoFire:
            std::snprintf(text, sizeof text, "auto-fire: interval %d, count %d", code1, code2);
            break;
        case AssignCategory::KeyboardKey:
            std::snprintf(text, sizeof text, "key: modifiers 0x%02x, usage 0x%02x", code1, code2);
            break;
        case AssignCategory::Media:
            std::snprintf(text, sizeof text, "media key 0x%04x", code1 | code2 << 8);
            break;
        case AssignCategory::System:
            std::snprintf(text, sizeof text, "system key %d", code1);
            break;
        case AssignCategory::Macro:
            if (type == kAssignMacroRepeat)
                std::snprintf(text, sizeof text, "macro %d, repeated %d times", code1, code2);
            else
                std::snprintf(text, sizeof text, "macro %d, play mode %d", code1, code2);
            break;
        case AssignCategory::Recoil:
            std::snprintf(text, sizeof text, "recoil pattern %d", code1);
            break;
        default:
            std::snprintf(text, sizeof text, code == 0 ? "none" : "device function (kept)");
            break;
    }
    return text;
}

}  // namespace vivori::macros
