#include "devices/AssignmentLabel.h"

#include <array>
#include <utility>

#include "macros/KeyCodeTable.h"
#include "macros/MacroAssignments.h"

namespace vivori::devices {
namespace {

using Label = std::optional<std::string>;

template <typename Code>
struct Named {
    Code code;
    std::string_view nameKey;
};

// Edit shortcuts of Ctrl (right) with a key: code2 = the key's usage.
constexpr uint8_t kShortcutModifier = 0x10;
constexpr Named<uint8_t> kShortcuts[] = {
    {0x12, "custem_open"},   {0x11, "custem_new"},    {0x1D, "custem_undo"},
    {0x16, "custem_save"},   {0x06, "custem_copy"},   {0x1B, "custem_cut"},
    {0x19, "custem_paste"},  {0x09, "custem_find"},   {0x04, "custem_select_all"},
    {0x2D, "custem_narrow"}, {0x2E, "custem_magnify"}};

constexpr Named<uint8_t> kMouseButtons[] = {{0x01, "mouse_key_left"},
                                            {0x04, "mouse_key_middle"},
                                            {0x02, "mouse_key_right"},
                                            {0x10, "mouse_key_forward"},
                                            {0x08, "mouse_key_back"}};
constexpr Named<uint8_t> kDpiKeys[] = {
    {1, "mouse_key_DPI_add"}, {2, "mouse_key_DPI_sub"}, {3, "mouse_key_DPI_loop"}};
constexpr std::string_view kEditKeys[] = {"custem_open",  "custem_new",  "custem_undo",
                                          "custem_save",  "custem_copy", "custem_cut",
                                          "custem_paste", "custem_find", "custem_select_all"};
constexpr Named<uint16_t> kConsumerKeys[] = {
    {0x0183, "media_text"},    {0x00CD, "media_play"},   {0x00B7, "media_stop"},
    {0x00B6, "media_prev"},    {0x00B5, "media_next"},   {0x00EA, "media_vol_sub"},
    {0x00E9, "media_vol_add"}, {0x00E2, "media_mute"},   {0x0223, "web_text"},
    {0x0227, "web_refresh"},   {0x0226, "wed_stop"},     {0x0224, "wed_back"},
    {0x0225, "wed_forward"},   {0x022A, "wed_favorite"}, {0x0221, "web_search"},
    {0x0194, "media_mypc"},    {0x0192, "media_calc"},   {0x018A, "media_mail"}};
constexpr Named<uint8_t> kSystemKeys[] = {
    {1, "system_power"}, {2, "system_sleep"}, {4, "system_wake_up"}};
// Types whose keys keep the label they have.
constexpr uint8_t kUnlabelled[] = {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0};

template <typename Code, size_t N>
Label Lookup(const Named<Code> (&table)[N], Code code, const TextOf& text) {
    for (const auto& row : table)
        if (row.code == code) return text(row.nameKey);
    return std::nullopt;
}

Label TableRowLabel(uint8_t kind, uint8_t code1, uint8_t code2, const TextOf& text) {
    if (auto row = macros::FindKeyByCode(kind, code1, code2))
        return text(macros::KeyCodeTable()[*row].nameKey);
    return std::nullopt;
}

Label KeyboardLabel(const profiles::KeyAssign& a, const TextOf& text) {
    for (const macros::KeyCode& row : macros::KeyCodeTable())
        if (row.code1 == a.code1 && row.code2 == a.code2) return text(row.nameKey);
    if (a.code1 == 0 && a.code2 == 0) return text("close_text");
    std::string label;
    for (const macros::KeyCode& row : macros::KeyCodeTable()) {
        if (row.kind != a.type) continue;
        if ((a.code1 == kShortcutModifier || row.code1 != a.code1) && row.code2 != a.code2)
            continue;
        // Appended: g++ 12 at -O3 takes "+" + string for an overlapping copy.
        if (!label.empty()) label += '+';
        label += text(row.nameKey);
    }
    if (label.empty()) return std::nullopt;
    if (a.code1 == kShortcutModifier)
        if (Label shortcut = Lookup(kShortcuts, a.code2, text)) return shortcut;
    return label;
}

}  // namespace

Label AssignmentLabel(const profiles::KeyAssign& a, const TextOf& text,
                      const std::vector<std::string>& macroNames) {
    const bool signBit = (a.code2 & 0x80) != 0;
    switch (a.type) {
        case 0x00:
        case macros::kKindKeyboard:
            return KeyboardLabel(a, text);
        case 0x10:
            return Lookup(kMouseButtons, a.code1, text);
        case 0x11:
            return text(signBit ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
        case 0x12:
            return text(signBit ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
        case 0x13:
            return Lookup(kDpiKeys, a.code1, text);
        case 0x14:
            return text("mouse_key_fire_key");
        case 0x16:
            return text("mouse_key_DPI_shift");
        case 0x22:
            if (a.code1 == 0 && a.code2 < std::size(kEditKeys)) return text(kEditKeys[a.code2]);
            return std::nullopt;
        case 0x23:
            if (a.code1 == 0 && a.code2 == 0) return text("show_window");
            return std::nullopt;
        case macros::kKindConsumer:
            return Lookup(kConsumerKeys, uint16_t(a.code2 << 8 | a.code1), text);
        case macros::kKindSystem:
            return Lookup(kSystemKeys, a.code1, text);
        case macros::kAssignMacro:
        case macros::kAssignMacroRepeat:
            if (a.code1 < macroNames.size()) return macroNames[a.code1];
            return std::nullopt;
        case macros::kKindDeviceFunction:
        case macros::kKindMacroBank:
            if (a.type == macros::kKindDeviceFunction && a.code1 == 0x02)
                return text("mouse_key_smart_key");
            if (a.type == macros::kKindDeviceFunction && a.code1 == 0x00) return text("close_text");
            return TableRowLabel(a.type, a.code1, a.code2, text);
        default:
            for (uint8_t type : kUnlabelled)
                if (a.type == type) return std::nullopt;
            return std::string("关闭");
    }
}

}  // namespace vivori::devices
