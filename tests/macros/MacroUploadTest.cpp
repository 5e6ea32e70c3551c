#include <gtest/gtest.h>

#include "device/SimFixture.h"
#include "macros/MacroEvents.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroUpload.h"
#include "profiles/TempFolder.h"
#include "sim/FirmwareModel.h"
#include "sim/SimProduct.h"

using namespace vivori;
using namespace vivori::macros;
using vivori::testing::TempFolder;
using vivori::testing::WriteText;

namespace {

class MacroUploadTest : public vivori::testing::SimTransportTest {
  protected:
    TempFolder temp;
    MacroLibrary library{temp / "keyboard"};

    std::vector<uint8_t> MacroMemory(size_t length) {
        auto memory = sim::FirmwareOf(keyboard)->Memory(sim::Area::Macros);
        memory.resize(std::min(memory.size(), length));
        return memory;
    }
};

}  // namespace

TEST_F(MacroUploadTest, ImportedMacrosLandInTheKeyboardsMacroMemoryAsOneImage) {
    std::filesystem::create_directories(library.Folder());
    WriteText(temp / "Jump.mac",
              R"({"Events":[{"Action":"down","Type":10,"Button":44,"Delay":"35"},)"
              R"({"Action":"up","Type":10,"Button":44,"Delay":"300"}]})");
    WriteText(temp / "Click.mac",
              R"({"Events":[{"Action":"down","Type":1,"Button":1,"Delay":"5"}]})");
    ASSERT_TRUE(library.Import(temp / "Jump.mac"));
    ASSERT_TRUE(library.Import(temp / "Click.mac"));

    AttachReceiver();  // the longest road: link check, then 24-byte pages
    const auto result = UploadMacros(*transport, library.AllEvents());
    ASSERT_EQ(result.result, CMD_OK);
    const std::vector<uint8_t> expected = {
        0xAA, 0x55, 0x28, 0x00, 0x02, 0x00, 0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,     // header: 40 bytes, 2
        0x14, 0x00, 0x20, 0x00,  // offsets 20 and 32
        0x02, 0x00, 0x00, 0x00, 0x23, 0x00, 0x8A, 0x2C, 0x2C, 0x01, 0x0A, 0x2C,  // Jump
        0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x81, 0x01};                         // Click
    EXPECT_EQ(result.bytes, expected.size());
    EXPECT_EQ(MacroMemory(expected.size()), expected);
    EXPECT_EQ(keyboard->BadChecksums(), 0u);
}

TEST_F(MacroUploadTest, MacrosThatDoNotFitAreNotSentAndTheExcessIsCounted) {
    AttachWired();
    const size_t capacity = size_t(sim::FirmwareOf(keyboard)->Memory(sim::Area::Info)[6]) * 128;
    // One macro holding as many events as the memory takes goes in; one more does not.
    const size_t fitting = (capacity - 16 - 6) / 4;
    std::vector<std::vector<MacroEvent>> macros(1, std::vector<MacroEvent>(fitting));
    ASSERT_EQ(UploadMacros(*transport, macros).result, CMD_OK);
    macros[0].resize(fitting + 1);
    keyboard->ClearFrames();
    const auto result = UploadMacros(*transport, macros);
    EXPECT_EQ(result.eventsTooMany, int((16 + 6 + 4 * (fitting + 1) - capacity) / 4 + 1));
    EXPECT_GE(result.eventsTooMany, 1);
    for (const auto& frame : keyboard->ReceivedFrames()) EXPECT_NE(frame[3], 0x15);
    // Configuration mode is still left.
    EXPECT_EQ(keyboard->ReceivedFrames().back()[3], 0x02);
}

TEST_F(MacroUploadTest, NothingIsWrittenThroughAReceiverWhoseKeyboardIsAway) {
    AttachReceiver();
    receiver->SetDeviceAway(true);
    keyboard->ClearFrames();
    receiver->ClearFrames();
    const auto result = UploadMacros(*transport, {{MacroEvent{true, 10, 4, 1}}});
    EXPECT_TRUE(result.linkDown);
    ASSERT_EQ(receiver->ReceivedFrames().size(), 1u);  // only the link check
    EXPECT_EQ(receiver->ReceivedFrames()[0][3], 0xAA);
}
