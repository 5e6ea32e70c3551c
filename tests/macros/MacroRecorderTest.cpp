#include <gtest/gtest.h>

#include "macros/MacroEvents.h"
#include "macros/MacroRecorder.h"

using namespace vivori::macros;

namespace {

constexpr uint8_t kA = 0x1E, kB = 0x30, kLShift = 0x2A;

struct Shown {
    std::string action;
    int type;
    int button;
    int delay;
    bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.action << "/" << s.type << "/" << s.button << "/" << s.delay;
}

// The rows as the saved file would hold them.
std::vector<Shown> Saved(const MacroEventList& list) {
    std::vector<Shown> out;
    for (const Json::Value& e : list.Events()) {
        const auto event = ReadMacroEvent(e);
        out.push_back({e["Action"].asString(), event.type, event.button, event.delay});
        EXPECT_TRUE(e["Delay"].isString());
    }
    return out;
}

Json::Value Document(std::initializer_list<Json::Value> events) {
    Json::Value doc(Json::objectValue);
    doc["Events"] = Json::Value(Json::arrayValue);
    for (const auto& e : events) doc["Events"].append(e);
    return doc;
}

TEST(MacroRecorderTest, RealTimeDelaysComeFromTheEventTimeStamps) {
    MacroEventList list;
    list.StartRecording(TimingMode::RealTime, 0, 1000);
    // The stamps say when the keys moved, whenever they are handled.
    EXPECT_EQ(list.AddKeyEvent(true, kA, false, 1000, InsertPosition::End), 0u);
    EXPECT_FALSE(list.AddKeyEvent(true, kA, false, 1030, InsertPosition::End));  // auto-repeat
    EXPECT_FALSE(list.AddKeyEvent(true, kA, false, 1060, InsertPosition::End));
    EXPECT_EQ(list.AddKeyEvent(false, kA, false, 1120, InsertPosition::End), 1u);
    EXPECT_EQ(list.AddKeyEvent(true, kB, false, 1300, InsertPosition::End), 2u);
    EXPECT_EQ(list.AddKeyEvent(true, kLShift, false, 71300, InsertPosition::End), 3u);
    EXPECT_EQ(Saved(list), (std::vector<Shown>{{"down", 10, 0x04, 120},
                                               {"up", 10, 0x04, 180},
                                               {"down", 10, 0x05, 65535},
                                               {"down", 9, 0x02, 0}}));
    EXPECT_EQ(list.Rows()[3].nameKey, "keyboard_key_LShift");
    EXPECT_EQ(list.Selected(), 3);
    // A key the table lacks is dropped.
    EXPECT_FALSE(list.AddKeyEvent(true, 0x7F, true, 71400, InsertPosition::End));
}

TEST(MacroRecorderTest, ConstantAndNoTimeRecording) {
    MacroEventList constant;
    constant.StartRecording(TimingMode::Constant, 50, 0);
    constant.AddKeyEvent(true, kA, false, 7, InsertPosition::End);
    EXPECT_EQ(Saved(constant)[0].delay, 0);  // a single event keeps 0
    constant.AddKeyEvent(false, kA, false, 900, InsertPosition::End);
    constant.AddMouseEvent(0x201, 0, 901, InsertPosition::End, false);
    for (const Shown& row : Saved(constant)) EXPECT_EQ(row.delay, 50) << row;
    // Menu actions take the constant of the last constant-time recording.
    constant.StartRecording(TimingMode::Constant, 20, 0);
    constant.InsertMouseAction(0x204, 0);
    EXPECT_EQ(constant.Rows()[constant.Selected()].delay, 20);

    MacroEventList none;
    none.StartRecording(TimingMode::NoTime, 50, 0);
    none.AddKeyEvent(true, kA, false, 100, InsertPosition::End);
    none.AddKeyEvent(false, kA, false, 5000, InsertPosition::End);
    none.AddMouseEvent(0x20B, 1, 9000, InsertPosition::End, false);
    none.AddMouseEvent(0x20B, 1, 9001, InsertPosition::End, false);  // same message again
    none.AddMouseEvent(0x20C, 2, 9002, InsertPosition::End, false);
    EXPECT_EQ(
        Saved(none),
        (std::vector<Shown>{
            {"down", 10, 0x04, 0}, {"up", 10, 0x04, 0}, {"down", 1, 8, 0}, {"up", 1, 16, 0}}));
    EXPECT_EQ(none.Rows()[2].nameKey, "mouse_key_back");
}

TEST(MacroRecorderTest, BeforeAndAfterTheSelectedRowKeepTheRecordedOrder) {
    MacroEventList list;
    list.StartRecording(TimingMode::NoTime, 0, 0);
    // Without a selection nothing goes before or after.
    EXPECT_FALSE(list.AddKeyEvent(true, kA, false, 0, InsertPosition::Before));
    for (uint8_t scan : {0x02, 0x03, 0x04})
        list.AddKeyEvent(true, scan, false, 0, InsertPosition::End);
    EXPECT_EQ(list.Size(), 3u);

    list.Select(1);  // "2"
    list.AddKeyEvent(true, kA, false, 0, InsertPosition::Before);
    list.AddKeyEvent(true, kB, false, 0, InsertPosition::Before);
    list.Select(4);                                                 // "3"
    list.AddKeyEvent(true, 0x2E, false, 0, InsertPosition::After);  // C
    list.AddKeyEvent(true, 0x20, false, 0, InsertPosition::After);  // D
    std::vector<std::string_view> names;
    for (const auto& row : list.Rows()) names.push_back(row.nameKey);
    EXPECT_EQ(names, (std::vector<std::string_view>{
                         "keyboard_key_1", "keyboard_key_A", "keyboard_key_B", "keyboard_key_2",
                         "keyboard_key_3", "keyboard_key_C", "keyboard_key_D"}));
}

TEST(MacroRecorderTest, StopButtonClicksAndTheRowLimitDropEvents) {
    MacroEventList list;
    list.StartRecording(TimingMode::NoTime, 0, 0);
    EXPECT_FALSE(list.AddMouseEvent(0x201, 0, 0, InsertPosition::End, true));
    EXPECT_FALSE(list.AddMouseEvent(0x202, 0, 0, InsertPosition::End, true));
    EXPECT_TRUE(list.AddMouseEvent(0x204, 0, 0, InsertPosition::End, true));  // right: recorded
    EXPECT_EQ(list.Size(), 1u);

    MacroEventList full;
    Json::Value doc = Document({});
    for (size_t i = 0; i < kMaxRecordedRows; ++i)
        doc["Events"].append(MakeEventObject(true, 10, 4, 1));
    full.Load(doc);
    full.StartRecording(TimingMode::NoTime, 0, 0);
    EXPECT_FALSE(full.AddKeyEvent(true, kA, false, 0, InsertPosition::End));
    EXPECT_FALSE(full.AddMouseEvent(0x201, 0, 0, InsertPosition::End, false));
    // Menu inserts are not limited.
    EXPECT_TRUE(full.InsertMouseAction(0x201, 0));
    EXPECT_EQ(full.Size(), kMaxRecordedRows + 1);
}

TEST(MacroRecorderTest, MenuActionsGoAfterTheSelectionWithTheConstantDelay) {
    MacroEventList list;
    list.InsertMouseAction(0x201, 0);  // left click: down, then up
    list.InsertMouseAction(0x202, 0);
    EXPECT_EQ(Saved(list), (std::vector<Shown>{{"down", 1, 1, 50}, {"up", 1, 1, 50}}));
    list.Select(-1);
    list.InsertMouseAction(0x200, 0, 300);  // move left, distance kept to 8 bits
    list.InsertMouseAction(0x200, 3, 20);   // after the one just inserted: move down 20
    EXPECT_EQ(Saved(list)[1], (Shown{"down", 4, 300 & 0xFF, 50}));
    EXPECT_EQ(Saved(list)[2], (Shown{"up", 5, 20, 50}));
    EXPECT_EQ(list.Rows()[2].nameKey, "mouse_move_to_down_text");
    EXPECT_FALSE(list.InsertMouseAction(0x20A, 0));  // the wheel is not a menu action
}

TEST(MacroRecorderTest, EditingOneEventReplacesOnlyItsKey) {
    MacroEventList list;
    list.Load(
        Document({MakeEventObject(true, 10, 0x04, 10), MakeEventObject(false, 10, 0x04, 345)}));
    list.Select(1);
    list.StartRecording(TimingMode::NoTime, 0, 0);
    EXPECT_TRUE(list.ReplaceKeyEvent(true, kB, false));
    EXPECT_FALSE(list.ReplaceKeyEvent(true, kB, false));  // held: auto-repeat
    EXPECT_TRUE(list.ReplaceKeyEvent(false, kB, false));
    EXPECT_EQ(Saved(list), (std::vector<Shown>{{"down", 10, 0x04, 10}, {"up", 10, 0x05, 345}}));
    EXPECT_EQ(list.Rows()[1].nameKey, "keyboard_key_B");
    EXPECT_TRUE(list.ReplaceMouseEvent(0x20B, 2, false));
    EXPECT_EQ(Saved(list)[1], (Shown{"up", 1, 16, 345}));
    list.Select(-1);
    EXPECT_FALSE(list.ReplaceKeyEvent(true, kA, false));
}

TEST(MacroRecorderTest, MovesDeletesAndBadFilesKeepTheList) {
    MacroEventList list;
    Json::Value bad = MakeEventObject(true, 10, 0x06, 5);
    bad["Button"] = "oops";  // a wrong type reads as 0, nothing throws
    Json::Value far = MakeEventObject(false, 4, 7, 0);
    far["Delay"] = "99999";
    list.Load(Document({MakeEventObject(true, 10, 0x04, 1), MakeEventObject(true, 10, 0x05, 2), bad,
                        Json::Value("not an event"), far}));
    ASSERT_EQ(list.Size(), 4u);
    EXPECT_EQ(list.Rows()[3].delay, 65535);
    EXPECT_EQ(list.Rows()[3].nameKey, "mouse_move_to_right_text");
    EXPECT_FALSE(list.MoveUp());  // nothing selected
    list.Select(2);
    EXPECT_TRUE(list.MoveToTop());
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_FALSE(list.MoveUp());
    EXPECT_TRUE(list.MoveToBottom());
    EXPECT_FALSE(list.MoveDown());
    EXPECT_TRUE(list.MoveUp());
    EXPECT_EQ(Saved(list)[2].delay, 5);
    EXPECT_TRUE(list.Delete());
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(list.Size(), 3u);
    list.DeleteAll();
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(ParseDelay("70000"), 65535);
    EXPECT_EQ(ParseDelay("99999999999999999999999"), 65535);
    EXPECT_EQ(ParseDelay("12a"), 0);
}

}  // namespace
