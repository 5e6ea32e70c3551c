#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/CaptureBackend.h"

namespace vivori::input {

// One scripted input event: "MS down|up key SCAN" (SCAN the set-1 scan code in hex,
// a trailing "e" for an extended key) or "MS down|up mouse left|right|middle|back|forward";
// "MS repeat key SCAN" is one auto-repeat of a held key (a release-press pair on X11).
struct ScriptedInput {
    std::uint32_t time = 0;
    bool down = false;
    bool mouse = false;
    std::uint8_t scanCode = 0;
    bool extended = false;
    std::uint32_t mouseMessage = 0;  // the down message; up is computed from it
    std::uint16_t extraButton = 0;
    bool autoRepeat = false;
};

// Parses one line; nothing (with the reason in error) when it is not one of the forms.
std::optional<ScriptedInput> ParseScriptedInput(std::string_view line, std::string* error);

// A capture backend driven by code: tests and vivori-ctl feed it events with their own
// time stamps, and it delivers them as the desktop backend would.
class ScriptedCaptureBackend : public ICaptureBackend {
  public:
    bool StartKeyboard(ui::HWND window, KeySink sink) override;
    void StopKeyboard() override;
    bool StartMouse(ui::HWND window, MouseSink sink) override;
    void StopMouse() override;
    std::string TakeNotice() override;

    // Delivers a keyboard event to the capture. True when the event reached the
    // system: nothing captured it, or the capture let it pass (lock keys).
    bool FeedKey(std::uint32_t message, std::uint8_t scanCode, bool extended, std::uint32_t time);
    // Delivers a mouse button event; true when a capture received it.
    bool FeedMouse(std::uint32_t message, std::uint16_t extraButton, std::uint32_t time, int x = 0,
                   int y = 0);
    void Feed(const ScriptedInput& input);

    bool KeyboardCaptured() const { return static_cast<bool>(key_); }
    bool MouseCaptured() const { return static_cast<bool>(mouse_); }
    // The keyboard events that reached the system, in order.
    const std::vector<KeyHookRecord>& PassedToSystem() const { return passed_; }
    // Makes the next StartKeyboard fail, as a desktop that refuses the grab would.
    void RefuseKeyboard(bool refuse) { refuseKeyboard_ = refuse; }
    // A notice TakeNotice gives once.
    void SetNotice(std::string notice) { notice_ = std::move(notice); }

  private:
    KeySink key_;
    MouseSink mouse_;
    std::vector<KeyHookRecord> passed_;
    bool refuseKeyboard_ = false;
    std::string notice_;
};

}  // namespace vivori::input
