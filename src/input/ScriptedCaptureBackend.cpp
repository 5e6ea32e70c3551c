#include "input/ScriptedCaptureBackend.h"

#include <charconv>
#include <sstream>
#include <utility>

#include "macros/KeyCodeTable.h"

namespace vivori::input {
namespace {

template <typename T>
bool ParseNumber(std::string_view text, T& value, int base) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

struct MouseName {
    std::string_view name;
    std::uint32_t downMessage;
    std::uint16_t extraButton;
};
constexpr MouseName kMouseNames[] = {
    {"left", kLeftDown, 0},
    {"right", kRightDown, 0},
    {"middle", kMiddleDown, 0},
    {"back", kExtraDown, kExtraButtonBack},
    {"forward", kExtraDown, kExtraButtonForward},
};

}  // namespace

std::optional<ScriptedInput> ParseScriptedInput(std::string_view line, std::string* error) {
    auto fail = [error](std::string why) -> std::optional<ScriptedInput> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    std::istringstream in{std::string(line)};
    std::string time, direction, kind, what, extra;
    if (!(in >> time >> direction >> kind >> what) || (in >> extra))
        return fail("expected \"MS down|up key SCAN\" or \"MS down|up mouse BUTTON\"");
    ScriptedInput input;
    if (!ParseNumber(time, input.time, 10)) return fail("bad time stamp \"" + time + "\"");
    if (direction != "down" && direction != "up" && direction != "repeat")
        return fail("bad direction \"" + direction + "\" (down, up or repeat)");
    input.down = direction == "down";
    input.autoRepeat = direction == "repeat";
    if (kind == "key") {
        std::string_view code = what;
        if (!code.empty() && (code.back() == 'e' || code.back() == 'E') && code.size() > 2) {
            input.extended = true;
            code.remove_suffix(1);
        }
        unsigned value = 0;
        if (code.size() > 2 || !ParseNumber(code, value, 16) || value > 0xFF)
            return fail("bad scan code \"" + what + "\" (hex, e.g. 1e or 1ce)");
        input.scanCode = static_cast<std::uint8_t>(value);
        return input;
    }
    if (kind == "mouse") {
        for (const MouseName& name : kMouseNames)
            if (what == name.name) {
                input.mouse = true;
                input.mouseMessage = name.downMessage;
                input.extraButton = name.extraButton;
                return input;
            }
        return fail("bad mouse button \"" + what + "\" (left, right, middle, back, forward)");
    }
    return fail("bad kind \"" + kind + "\" (key or mouse)");
}

bool ScriptedCaptureBackend::StartKeyboard(ui::HWND, KeySink sink) {
    if (refuseKeyboard_) return false;
    key_ = std::move(sink);
    return true;
}

void ScriptedCaptureBackend::StopKeyboard() {
    key_ = nullptr;
}

bool ScriptedCaptureBackend::StartMouse(ui::HWND, MouseSink sink) {
    mouse_ = std::move(sink);
    return true;
}

void ScriptedCaptureBackend::StopMouse() {
    mouse_ = nullptr;
}

std::string ScriptedCaptureBackend::TakeNotice() {
    return std::exchange(notice_, std::string());
}

bool ScriptedCaptureBackend::FeedKey(std::uint32_t message, std::uint8_t scanCode, bool extended,
                                     std::uint32_t time) {
    KeyHookRecord record;
    record.scanCode = scanCode;
    record.flags = extended ? kExtendedFlag : 0;
    record.time = time;
    // The virtual key the desktop would report for that key.
    if (auto row = macros::FindKeyByScanCode(scanCode, extended))
        record.vkCode = macros::KeyCodeTable()[*row].virtualKey;
    // A copy: the sink may stop the capture while it runs.
    KeySink sink = key_;
    const bool passes = !sink || sink(message, record);
    if (passes) passed_.push_back(record);
    return passes;
}

bool ScriptedCaptureBackend::FeedMouse(std::uint32_t message, std::uint16_t extraButton,
                                       std::uint32_t time, int x, int y) {
    MouseSink sink = mouse_;
    if (!sink) return false;
    MouseHookRecord record;
    record.x = x;
    record.y = y;
    record.mouseData = static_cast<std::uint32_t>(extraButton) << 16;
    record.time = time;
    sink(message, record);
    return true;
}

void ScriptedCaptureBackend::Feed(const ScriptedInput& input) {
    // X11 repeats a held key as a release and a press, both marked as repeats; the
    // desktop backend swallows them, and so does this one.
    if (input.autoRepeat) return;
    if (input.mouse) {
        // Each button's up message follows its down message.
        const std::uint32_t message = input.down ? input.mouseMessage : input.mouseMessage + 1;
        FeedMouse(message, input.extraButton, input.time);
    } else {
        FeedKey(input.down ? kKeyDown : kKeyUp, input.scanCode, input.extended, input.time);
    }
}

}  // namespace vivori::input
