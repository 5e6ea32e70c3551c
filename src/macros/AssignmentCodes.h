#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vivori::macros {

// The categories of the key assignment panel's function list (each item's user data).
enum class AssignCategory : int {
    Default = 0,
    MouseButton = 1,
    Swing = 2,
    Wheel = 3,
    Dpi = 4,
    AutoFire = 5,
    KeyboardKey = 6,
    Media = 7,
    System = 8,
    Macro = 9,
    Recoil = 10,
    Shortcut = 11,
};
inline constexpr int kAssignCategoryCount = 12;

inline constexpr uint8_t kAssignMouseButton = 0x10;
inline constexpr uint8_t kAssignSwing = 0x11;
inline constexpr uint8_t kAssignWheel = 0x12;
inline constexpr uint8_t kAssignDpi = 0x13;
inline constexpr uint8_t kAssignAutoFire = 0x14;
inline constexpr uint8_t kAssignRecoil = 0x72;
// Play mode 4 of a macro repeats it a counted number of times.
inline constexpr int kRepeatPlayMode = 4;
inline constexpr int kModifierOptions = 5;  // none, Ctrl, Shift, Alt, Win

// The value lists of the panel: the n-th row stands for the n-th code.
std::span<const uint32_t> MouseButtonRows();
std::span<const uint32_t> DpiRows();
std::span<const uint32_t> MediaRows();
std::span<const uint32_t> SystemRows();
// 142 rows: eleven shortcuts, an empty row, the modifiers, the keys and the consumer
// keys of the key code table.
std::span<const uint32_t> ShortcutRows();
// The row whose code is `code`; nothing when none.
std::optional<int> RowOf(std::span<const uint32_t> rows, uint32_t code);

// What the panel's controls hold. A list with nothing selected is -1; the number
// fields hold what was typed (text that is not a number reads as 0).
struct AssignmentForm {
    AssignCategory category = AssignCategory::Default;
    int mouseButtonRow = -1;
    int swingDirection = 0;  // 0 first entry, 1 second
    int swingCount = 0;
    int swingDelay = 0;
    int swingSpeed = 0;
    int wheelDirection = 0;
    int wheelCount = 0;
    int wheelDelay = 0;
    int wheelSpeed = 0;
    int dpiRow = -1;
    int fireInterval = 0;
    int fireCount = 0;
    int modifierOption = -1;  // 0-4; -1 none selected
    int keyUsage = -1;        // -1: the key field is empty
    int mediaRow = -1;
    int systemRow = -1;
    int macroIndex = -1;
    int playMode = -1;
    int repeatCount = 0;
    int recoilIndex = -1;
    int shortcutRow = -1;
    bool operator==(const AssignmentForm&) const = default;
};

// The code the controls make. A list with no row selected (or an index beyond it)
// keeps the current code, as does a macro category with no macro to pick.
uint32_t EncodeAssignment(const AssignmentForm& form, uint32_t current, uint32_t defaultCode,
                          size_t macroCount);
// How the controls show a code; codes the panel does not show (0xA0, 0xB0, 0xD0 and
// the rest) select the default category and keep everything else empty.
AssignmentForm DecodeAssignment(uint32_t code);

// The category of a code, for a short description.
AssignCategory CategoryOf(uint32_t code);
// "mouse button", "macro 2, play mode 1", ...: what a code does, in a few words.
std::string DescribeAssignment(uint32_t code);

// Reads a number field: decimal; anything else reads as 0.
int ParseField(std::string_view text);

}  // namespace vivori::macros
