#include "macros/MacroRecorder.h"

#include <algorithm>
#include <charconv>

#include "macros/KeyCodeTable.h"
#include "macros/MacroEvents.h"

namespace vivori::macros {
namespace {

constexpr uint32_t kMouseMove = 0x200;
constexpr uint32_t kLeftDown = 0x201;
constexpr uint32_t kLeftUp = 0x202;
constexpr uint32_t kExtraDown = 0x20B;
constexpr uint32_t kExtraUp = 0x20C;
constexpr uint16_t kExtraBack = 1;
constexpr uint16_t kExtraForward = 2;
// Rows of the mouse event table.
constexpr size_t kForwardRow = 6;
constexpr size_t kBackRow = 8;
constexpr size_t kFirstMoveRow = 10;

enum Handler { kAtEnd, kBefore, kAfter, kReplace };

Handler HandlerOf(InsertPosition position) {
    switch (position) {
        case InsertPosition::Before:
            return kBefore;
        case InsertPosition::After:
            return kAfter;
        case InsertPosition::End:
            break;
    }
    return kAtEnd;
}

// The mouse event table row of a button message; extra buttons by their number.
std::optional<size_t> MouseRow(uint32_t message, uint16_t extraButton) {
    if (message == kExtraDown || message == kExtraUp) {
        const size_t up = message == kExtraUp ? 1 : 0;
        if (extraButton == kExtraBack) return kBackRow + up;
        if (extraButton == kExtraForward) return kForwardRow + up;
        return std::nullopt;
    }
    const auto table = MouseEventTable();
    for (size_t i = 0; i < kForwardRow; ++i)
        if (table[i].message == message) return i;
    return std::nullopt;
}

EventRow KeyRow(const KeyCode& key, bool down) {
    const bool modifier = key.code2 == 0;
    EventRow row;
    row.event = MakeEventObject(down, modifier ? kTypeModifier : kTypeKey,
                                modifier ? key.code1 : key.code2, 0);
    row.nameKey = key.nameKey;
    row.keyboard = true;
    return row;
}

EventRow MouseEventRow(const MouseEventCode& code, uint8_t button) {
    EventRow row;
    row.event = MakeEventObject((code.typeByte & 0x80) != 0, code.typeByte & 0x7F, button, 0);
    row.nameKey = code.nameKey;
    return row;
}

uint16_t ClampDelay(int64_t value) {
    if (value <= 0) return 0;
    return value > kMaxDelay - 1 ? kMaxDelay : static_cast<uint16_t>(value);
}

void SetRowDelay(EventRow& row, uint16_t delay) {
    row.delay = delay;
    row.event["Delay"] = std::to_string(delay);
}

}  // namespace

uint16_t ParseDelay(std::string_view text) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return kMaxDelay;
    return value > kMaxDelay ? kMaxDelay : static_cast<uint16_t>(value);
}

void MacroEventList::Select(int index) {
    selected_ = index >= 0 && static_cast<size_t>(index) < rows_.size() ? index : -1;
}

EventRow MacroEventList::RowOf(const Json::Value& event) {
    const MacroEvent e = ReadMacroEvent(event);
    EventRow row;
    row.event = event;
    row.delay = e.delay;
    const auto keys = KeyCodeTable();
    const auto mouse = MouseEventTable();
    if (e.type == kTypeKey || e.type == kTypeModifier) {
        row.keyboard = true;
        for (size_t i = 0; i < (e.type == kTypeKey ? keys.size() : 8); ++i) {
            const KeyCode& key = keys[i];
            const bool match = e.type == kTypeKey ? key.kind == kKindKeyboard &&
                                                        key.code2 == e.button && e.button != 0
                                                  : key.code1 == e.button;
            if (match) {
                row.nameKey = key.nameKey;
                break;
            }
        }
    } else if (e.type == kTypeMouseButton) {
        for (size_t i = 0; i < kFirstMoveRow; ++i)
            if (mouse[i].button == e.button) {
                row.nameKey = mouse[i].nameKey;
                break;
            }
    } else if (e.type == kTypeMoveHorizontal || e.type == kTypeMoveVertical) {
        const size_t first = kFirstMoveRow + (e.type == kTypeMoveVertical ? 2 : 0);
        row.nameKey = mouse[first + (e.press ? 0 : 1)].nameKey;
    }
    return row;
}

void MacroEventList::Load(const Json::Value& document) {
    rows_.clear();
    selected_ = -1;
    if (!document.isObject()) return;
    const Json::Value& events = document["Events"];
    if (!events.isArray()) return;
    for (const Json::Value& event : events)
        if (event.isObject()) rows_.push_back(RowOf(event));
}

Json::Value MacroEventList::Events() const {
    Json::Value events(Json::arrayValue);
    for (const EventRow& row : rows_) {
        Json::Value event = row.event;
        event["Delay"] = std::to_string(row.delay);
        events.append(event);
    }
    return events;
}

void MacroEventList::SetDelay(size_t row, uint16_t delay) {
    if (row < rows_.size()) SetRowDelay(rows_[row], delay);
}

void MacroEventList::StartRecording(TimingMode mode, uint16_t constantDelay, uint32_t now) {
    timing_ = mode;
    if (mode == TimingMode::Constant) constantDelay_ = constantDelay;
    lastTime_ = now;
    // A key held when the last recording stopped must not hide the next press of it.
    for (KeyMemory& memory : keyMemory_) memory = {};
    for (MouseMemory& memory : mouseMemory_) memory = {};
}

bool MacroEventList::TakeKey(KeyMemory& memory, bool down, uint8_t scanCode, bool extended) {
    const bool same = memory.held && memory.scanCode == scanCode && memory.extended == extended;
    if (down) {
        if (same) return false;  // auto-repeat
        memory = {true, scanCode, extended};
    } else if (same) {
        memory = {};
    }
    return true;
}

bool MacroEventList::TakeMouse(MouseMemory& memory, uint32_t message, uint16_t extraButton) {
    if (memory.message == message && memory.extraButton == extraButton) return false;
    memory = {message, extraButton};
    return true;
}

std::optional<size_t> MacroEventList::Place(EventRow row, InsertPosition position, uint32_t time) {
    uint16_t d = 0;
    if (timing_ == TimingMode::RealTime) {
        // Both stamps are on the tick clock; the difference survives its wrap.
        d = ClampDelay(static_cast<int32_t>(time - lastTime_));
        lastTime_ = time;
    } else if (timing_ == TimingMode::Constant) {
        d = constantDelay_;
    }
    size_t index = rows_.size();
    if (position == InsertPosition::Before) index = static_cast<size_t>(selected_);
    if (position == InsertPosition::After) index = static_cast<size_t>(selected_) + 1;
    if (index == 0) {
        SetRowDelay(row, 0);
    } else {
        SetRowDelay(row, timing_ == TimingMode::Constant ? constantDelay_ : 0);
        if (anyAdded_) SetRowDelay(rows_[index - 1], d);
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
    anyAdded_ = true;
    if (position == InsertPosition::Before) {
        ++selected_;  // the selected row moved down one
    } else {
        // After: the next event goes after this one, so a recording keeps its order.
        selected_ = static_cast<int>(index);
    }
    return index;
}

std::optional<size_t> MacroEventList::AddKeyEvent(bool down, uint8_t scanCode, bool extended,
                                                  uint32_t time, InsertPosition position) {
    if (rows_.size() >= kMaxRecordedRows) return std::nullopt;
    if (position != InsertPosition::End && selected_ < 0) return std::nullopt;
    if (!TakeKey(keyMemory_[HandlerOf(position)], down, scanCode, extended)) return std::nullopt;
    const auto key = FindKeyByScanCode(scanCode, extended);
    if (!key) return std::nullopt;
    return Place(KeyRow(KeyCodeTable()[*key], down), position, time);
}

std::optional<size_t> MacroEventList::AddMouseEvent(uint32_t message, uint16_t extraButton,
                                                    uint32_t time, InsertPosition position,
                                                    bool insideStopButton) {
    if (rows_.size() >= kMaxRecordedRows) return std::nullopt;
    if (position != InsertPosition::End && selected_ < 0) return std::nullopt;
    if ((message == kLeftDown || message == kLeftUp) && insideStopButton) return std::nullopt;
    const auto found = MouseRow(message, extraButton);
    if (!found) return std::nullopt;
    if (!TakeMouse(mouseMemory_[HandlerOf(position)], message, extraButton)) return std::nullopt;
    const MouseEventCode& code = MouseEventTable()[*found];
    return Place(MouseEventRow(code, code.button), position, time);
}

std::optional<size_t> MacroEventList::InsertMouseAction(uint32_t message, int variant,
                                                        int distance) {
    std::optional<size_t> found;
    uint8_t button = 0;
    const auto table = MouseEventTable();
    if (message == kMouseMove) {
        if (variant < 0 || variant > 3) return std::nullopt;
        found = kFirstMoveRow + static_cast<size_t>(variant);
        button = static_cast<uint8_t>(distance & 0xFF);
    } else {
        const uint16_t extra = variant == 0 ? kExtraForward : kExtraBack;
        found = MouseRow(message, extra);
        if (!found) return std::nullopt;
        button = table[*found].button;
    }
    EventRow row = MouseEventRow(table[*found], button);
    SetRowDelay(row, constantDelay_);
    const size_t index = rows_.empty() ? 0 : static_cast<size_t>(std::max(selected_, 0)) + 1;
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
    selected_ = static_cast<int>(index);
    return index;
}

bool MacroEventList::ReplaceKeyEvent(bool down, uint8_t scanCode, bool extended) {
    if (selected_ < 0) return false;
    if (!TakeKey(keyMemory_[kReplace], down, scanCode, extended)) return false;
    const auto key = FindKeyByScanCode(scanCode, extended);
    if (!key) return false;
    EventRow& row = rows_[static_cast<size_t>(selected_)];
    const EventRow replacement = KeyRow(KeyCodeTable()[*key], down);
    row.event["Type"] = replacement.event["Type"];
    row.event["Button"] = replacement.event["Button"];
    row.nameKey = replacement.nameKey;
    row.keyboard = true;
    return true;
}

bool MacroEventList::ReplaceMouseEvent(uint32_t message, uint16_t extraButton,
                                       bool insideStopButton) {
    if (selected_ < 0) return false;
    if ((message == kLeftDown || message == kLeftUp) && insideStopButton) return false;
    const auto found = MouseRow(message, extraButton);
    if (!found) return false;
    if (!TakeMouse(mouseMemory_[kReplace], message, extraButton)) return false;
    const MouseEventCode& code = MouseEventTable()[*found];
    EventRow& row = rows_[static_cast<size_t>(selected_)];
    row.event["Type"] = kTypeMouseButton;
    row.event["Button"] = code.button;
    row.nameKey = code.nameKey;
    row.keyboard = false;
    return true;
}

bool MacroEventList::MoveTo(int to) {
    const int from = selected_;
    if (from < 0 || to < 0 || static_cast<size_t>(to) >= rows_.size() || from == to) return false;
    EventRow row = std::move(rows_[static_cast<size_t>(from)]);
    rows_.erase(rows_.begin() + from);
    rows_.insert(rows_.begin() + to, std::move(row));
    selected_ = to;
    return true;
}

bool MacroEventList::MoveUp() {
    return selected_ > 0 && MoveTo(selected_ - 1);
}
bool MacroEventList::MoveDown() {
    return selected_ >= 0 && MoveTo(selected_ + 1);
}
bool MacroEventList::MoveToTop() {
    return selected_ > 0 && MoveTo(0);
}
bool MacroEventList::MoveToBottom() {
    return selected_ >= 0 && MoveTo(static_cast<int>(rows_.size()) - 1);
}

bool MacroEventList::Delete() {
    if (selected_ < 0) return false;
    rows_.erase(rows_.begin() + selected_);
    selected_ = -1;
    return true;
}

void MacroEventList::DeleteAll() {
    rows_.clear();
    selected_ = -1;
}

}  // namespace vivori::macros
