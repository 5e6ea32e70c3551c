#include <gtest/gtest.h>

#include "macros/MacroEvents.h"
#include "profiles/JsonFile.h"

using namespace vivori;
using namespace vivori::macros;

namespace {
Json::Value Parse(const char* text) {
    return *profiles::ParseJsonText(text);
}
using Record = std::array<uint8_t, 4>;
}  // namespace

TEST(MacroEvents, KeyAndMouseEventsBecomeTheirDeviceRecords) {
    // A key press with a 35 ms delay.
    EXPECT_EQ(EventRecord(Parse(R"({"Action":"down","Type":10,"Button":4,"Delay":"35"})")),
              (Record{0x23, 0x00, 0x8A, 0x04}));
    // Its release after 300 ms: bit 7 clear, delay little-endian.
    EXPECT_EQ(EventRecord(Parse(R"({"Action":"up","Type":10,"Button":4,"Delay":"300"})")),
              (Record{0x2C, 0x01, 0x0A, 0x04}));
    // A mouse move of 20 to the left is a horizontal move in the "down" direction.
    const Json::Value left = MakeEventObject(true, kTypeMoveHorizontal, 20, 0);
    EXPECT_EQ(left["Action"].asString(), "down");
    EXPECT_EQ(left["Delay"].asString(), "0");
    EXPECT_EQ(EventRecord(left), (Record{0x00, 0x00, 0x84, 20}));
    // The right button released; an action that is not "down" is a release.
    EXPECT_EQ(EventRecord(Parse(R"({"Action":"Down","Type":1,"Button":2,"Delay":"65535"})")),
              (Record{0xFF, 0xFF, 0x01, 0x02}));
    // A missing delay reads as 0; an integer delay (as recoil files hold) is accepted too.
    EXPECT_EQ(EventRecord(Parse(R"({"Action":"down","Type":9,"Button":2})")),
              (Record{0x00, 0x00, 0x89, 0x02}));
    EXPECT_EQ(EventRecord(Parse(R"({"Action":"down","Type":9,"Button":2,"Delay":512})")),
              (Record{0x00, 0x02, 0x89, 0x02}));
}

TEST(MacroEvents, OutOfRangeValuesAreClampedAndEachClampIsNamed) {
    std::vector<std::string> problems;
    const MacroEvent e = ReadMacroEvent(
        Parse(R"({"Action":"down","Type":300,"Button":300,"Delay":"70000"})"), &problems);
    // Clamped below the press bit; a masked 300 would be 44, another kind of event.
    EXPECT_EQ(e.type, 127);
    EXPECT_EQ(e.button, 255);
    EXPECT_EQ(e.delay, 65535);
    EXPECT_EQ(problems.size(), 3u);

    problems.clear();
    const MacroEvent bad = ReadMacroEvent(
        Parse(R"({"Action":"up","Type":"x","Button":-4,"Delay":"12ms"})"), &problems);
    EXPECT_EQ(bad.type, 0);
    EXPECT_EQ(bad.button, 0);
    EXPECT_EQ(bad.delay, 0);
    EXPECT_EQ(problems.size(), 3u);

    problems.clear();
    ReadMacroEvent(Parse(R"({"Action":"up","Type":10,"Button":40,"Delay":"0"})"), &problems);
    EXPECT_TRUE(problems.empty());
    // Reals count by their whole part; a huge one is clamped, not refused.
    EXPECT_EQ(ReadMacroEvent(Parse(R"({"Delay": 1e12, "Button": 2.0})"), &problems).delay, 65535);
    EXPECT_EQ(problems.size(), 1u);
    // Not an object at all: a harmless empty event.
    EXPECT_EQ(EventRecord(Parse("[1,2]")), (Record{0, 0, 0, 0}));
}
