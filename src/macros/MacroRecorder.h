#pragma once

#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vivori::macros {

// How recorded events get their delays: the time between the events, a constant, or none.
enum class TimingMode { RealTime = 1, Constant = 2, NoTime = 3 };
// Where recorded events go: after the last row, or before or after the selected row.
enum class InsertPosition { End, Before, After };

inline constexpr size_t kMaxRecordedRows = 4000;
inline constexpr uint16_t kDefaultConstantDelay = 50;
inline constexpr uint16_t kMaxDelay = 65535;

// One row of the event list: the event object as the macro file stores it ("Action",
// "Button", "Type", "Delay"), the language key of its name, and the delay its field shows.
struct EventRow {
    Json::Value event;
    std::string_view nameKey;
    uint16_t delay = 0;
    bool keyboard = false;  // a key event (else a mouse event)
};

// A mouse action from the event menu or the move buttons.
enum class MouseAction { Button, Move };

// The event list of the macro editor and its recording rules, without any display:
// the panel mirrors the rows, and the command-line recorder runs the same rules.
class MacroEventList {
  public:
    const std::vector<EventRow>& Rows() const { return rows_; }
    size_t Size() const { return rows_.size(); }
    int Selected() const { return selected_; }
    void Select(int index);
    uint16_t ConstantDelay() const { return constantDelay_; }
    TimingMode Timing() const { return timing_; }

    // Replaces the rows with the "Events" of a macro document; other members and
    // elements that are not objects are skipped, values are read type-checked.
    void Load(const Json::Value& document);
    // The rows as a macro file's "Events", each "Delay" the row's delay.
    Json::Value Events() const;
    void SetDelay(size_t row, uint16_t delay);

    // Starts a recording: delays are measured from `now` (tick clock), and mode 2
    // takes `constantDelay`. The key and button memories start empty.
    void StartRecording(TimingMode mode, uint16_t constantDelay, uint32_t now);

    // A recorded key event (set-1 scan code and extended flag), stamped with the time
    // it happened. The index of the new row, or nothing when it was dropped (list full,
    // no selection for Before/After, auto-repeat, a key the table lacks).
    std::optional<size_t> AddKeyEvent(bool down, uint8_t scanCode, bool extended, uint32_t time,
                                      InsertPosition position);
    // A recorded mouse button event (window message, extra-button number for the extra
    // buttons). insideStopButton: the click that ends the recording, never recorded.
    std::optional<size_t> AddMouseEvent(uint32_t message, uint16_t extraButton, uint32_t time,
                                        InsertPosition position, bool insideStopButton);
    // A button action (message, variant 0 forward / 1 back for the extra buttons) or a
    // move (message 0x200, variant 0 left, 1 right, 2 up, 3 down, distance) from the
    // menu: goes after the selected row (or row 0), with the constant delay, and is
    // selected. Not limited to 4000 rows.
    std::optional<size_t> InsertMouseAction(uint32_t message, int variant, int distance = 0);
    // Editing one event: the selected row takes the key or button, keeping its
    // direction and delay. False when nothing changed.
    bool ReplaceKeyEvent(bool down, uint8_t scanCode, bool extended);
    bool ReplaceMouseEvent(uint32_t message, uint16_t extraButton, bool insideStopButton);

    bool MoveUp();
    bool MoveDown();
    bool MoveToTop();
    bool MoveToBottom();
    bool Delete();
    void DeleteAll();

    // The row a stored event object makes (its name found by kind).
    static EventRow RowOf(const Json::Value& event);

  private:
    struct KeyMemory {
        bool held = false;
        uint8_t scanCode = 0;
        bool extended = false;
    };
    struct MouseMemory {
        uint32_t message = 0;
        uint16_t extraButton = 0;
    };
    // False for an auto-repeat; keeps the memory of the last pressed key.
    static bool TakeKey(KeyMemory& memory, bool down, uint8_t scanCode, bool extended);
    static bool TakeMouse(MouseMemory& memory, uint32_t message, uint16_t extraButton);
    std::optional<size_t> Place(EventRow row, InsertPosition position, uint32_t time);
    bool MoveTo(int to);

    std::vector<EventRow> rows_;
    int selected_ = -1;
    TimingMode timing_ = TimingMode::RealTime;
    uint16_t constantDelay_ = kDefaultConstantDelay;
    uint32_t lastTime_ = 0;
    bool anyAdded_ = false;
    // One memory per handler: keys and buttons at the end, before, after, replaced.
    KeyMemory keyMemory_[4];
    MouseMemory mouseMemory_[4];
};

// The delay of a typed delay field: digits only, values above 65535 become 65535,
// anything else 0.
uint16_t ParseDelay(std::string_view text);

}  // namespace vivori::macros
