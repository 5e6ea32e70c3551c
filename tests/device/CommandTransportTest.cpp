#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimFixture.h"
#include "device/CommandTransport.h"
#include "platform/Debug.h"
#include "sim/FamilyDescriptors.h"

using namespace vivori;
using namespace vivori::testing;
using Clock = std::chrono::steady_clock;

TEST(CommandFrame, ChecksumIsTheSumOfBytesThreeOnward) {
    Frame a = BuildFrame(0x01, 0, 0);
    EXPECT_EQ(a[0], 4);
    EXPECT_EQ(a[1], 0x01);
    EXPECT_EQ(a[2], 0x00);
    Frame b = BuildFrame(0x03, 0x18, 0x0018);
    EXPECT_EQ(FrameChecksum(b), 0x0033);
    EXPECT_EQ(b[1], 0x33);
    EXPECT_EQ(b[5], 0x18);
    EXPECT_EQ(b[6], 0x00);
    // The sum is truncated to 16 bits: 56 bytes of 0xFF plus the header.
    std::vector<uint8_t> ff(56, 0xFF);
    Frame c = BuildFrame(0x06, 56, 0x1234, ff);
    uint32_t sum = 0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF;
    EXPECT_EQ(FrameChecksum(c), static_cast<uint16_t>(sum));
}

TEST_F(SimTransportTest, ShortRequestsArePaddedAndLongOnesCut) {
    AttachWired();
    uint8_t request[70];
    for (int i = 0; i < 70; ++i) request[i] = static_cast<uint8_t>(i + 1);
    request[0] = 4;
    uint8_t reply[64];
    uint32_t n = 0;
    EXPECT_EQ(transport->Transact(request, 10, reply, 64, &n), CMD_OK);
    EXPECT_EQ(transport->Transact(request, 70, reply, 64, &n), CMD_OK);
    auto frames = keyboard->ReceivedFrames();
    ASSERT_EQ(frames.size(), 2u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(frames[0][i], request[i]);
    for (int i = 10; i < 64; ++i) EXPECT_EQ(frames[0][i], 0) << i;
    for (int i = 0; i < 64; ++i) EXPECT_EQ(frames[1][i], request[i]) << i;
}

TEST_F(SimTransportTest, ClosedTransportAnswersNoReplyAndWritesNothing) {
    AttachWired();
    transport->SetOpen(false);
    auto start = Clock::now();
    EXPECT_EQ(Send(0x01), CMD_NO_REPLY);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(keyboard->ReceivedCount(), 0u);
    EXPECT_FALSE(transport->IsBusy());
}

TEST_F(SimTransportTest, StrayReplyIsSkippedButTwoMismatchesAreNoReply) {
    AttachWired();
    keyboard->InjectFault({sim::FaultRule::StrayReply, 0x01});
    EXPECT_EQ(Send(0x01), CMD_OK);

    // An earlier request's late reply, then a stray one: no matching reply in two reads.
    keyboard->InjectFault({sim::FaultRule::Late, 0x07});
    EXPECT_EQ(Send(0x07), CMD_NO_REPLY);
    keyboard->InjectFault({sim::FaultRule::StrayReply, 0x01});
    EXPECT_EQ(Send(0x01), CMD_NO_REPLY);
}

// Runs on the test's thread while another thread answers: once the device has the
// request (the host has emptied its queue by then), it sends report.
class AnswerAfterRequest {
  public:
    AnswerAfterRequest(sim::SimDevice& device, std::vector<uint8_t> report)
        : thread_([&device, report, seen = device.ReceivedCount()] {
              const auto end = Clock::now() + std::chrono::seconds(1);
              while (device.ReceivedCount() == seen && Clock::now() < end)
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              device.SendInputReport(sim::kFamilyInterface, report);
          }) {}
    ~AnswerAfterRequest() { thread_.join(); }

  private:
    std::thread thread_;
};

TEST_F(SimTransportTest, LateReplyNeverAnswersALaterRequest) {
    AttachWired();
    std::vector<uint8_t> first(8), second(8), counting(256);
    for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<uint8_t>(i);
    Firmware().Store(sim::Area::Params, 0, counting);

    // The reply to the read at 0 comes only as the read at 200 goes out.
    keyboard->InjectFault({sim::FaultRule::Late, CMD_READ_PARAMS});
    EXPECT_EQ(transport->ReadParams(first.data(), 8, 0), CMD_NO_REPLY);
    ASSERT_EQ(transport->ReadParams(second.data(), 8, 200), CMD_OK);
    const auto stored = Firmware().Memory(sim::Area::Params);
    EXPECT_EQ(second, std::vector<uint8_t>(stored.begin() + 200, stored.begin() + 208));

    // The late reply arrives between two exchanges; meanwhile the bytes changed. The
    // same request again gets the device's answer, not the one that was waiting.
    keyboard->InjectFault({sim::FaultRule::Late, CMD_READ_PARAMS});
    EXPECT_EQ(transport->ReadParams(first.data(), 8, 0), CMD_NO_REPLY);
    keyboard->SendLateReplies();
    Firmware().Store(sim::Area::Params, 0, std::vector<uint8_t>(8, 0xA5));
    ASSERT_EQ(transport->ReadParams(first.data(), 8, 0), CMD_OK);
    EXPECT_EQ(first, std::vector<uint8_t>(8, 0xA5));
}

TEST_F(SimTransportTest, ShortReplyNeverPassesForTheAnswerWithAnEarlierReportsBytes) {
    AttachWired();
    // A late reply of another command with data, then a report that echoes the command
    // but ends before its status byte; the device itself stays silent.
    Frame stray = BuildFrame(0x45, 6, 0, std::vector<uint8_t>(6, 0xEE));
    keyboard->SendCommandReport(stray);
    const uint8_t cut[] = {4, 0, 0, CMD_READ_STATUS, 6};
    keyboard->SendInputReport(sim::kFamilyInterface, cut);
    keyboard->InjectFault({sim::FaultRule::NoReply, CMD_READ_STATUS});
    uint8_t status[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(transport->ReadStatus(status, 6, 0), CMD_NO_REPLY);
    EXPECT_EQ(std::vector<uint8_t>(status, status + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));

    // A reply that reaches its status byte counts; what it did not carry reads as zero.
    keyboard->InjectFault({sim::FaultRule::NoReply, CMD_CONFIG_BEGIN});
    const std::vector<uint8_t> header = {4, 0, 0, CMD_CONFIG_BEGIN, 0, 0, 0, 0, 0x31};
    const Frame request = BuildFrame(CMD_CONFIG_BEGIN, 0, 0);
    Frame reply;
    reply.fill(0x77);
    uint32_t n = 0;
    {
        AnswerAfterRequest answer(*keyboard, header);
        EXPECT_EQ(
            transport->Transact(request.data(), request.size(), reply.data(), reply.size(), &n),
            CMD_OK);
    }
    EXPECT_EQ(n, header.size());
    EXPECT_EQ(reply[8], 0x31);
    EXPECT_EQ(reply[9], 0);
}

TEST_F(SimTransportTest, DeviceStatusBytesBecomeDeviceErrors) {
    AttachWired();
    keyboard->InjectFault({sim::FaultRule::StatusFF, 0x01});
    EXPECT_EQ(Send(0x01), CMD_DEVICE_ERROR_FF);
    keyboard->InjectFault({sim::FaultRule::StatusFE, 0x01});
    EXPECT_EQ(Send(0x01), CMD_DEVICE_ERROR_FE);
    EXPECT_EQ(Send(0x01), CMD_OK);
    EXPECT_EQ(keyboard->BadChecksums(), 0u);
}

TEST_F(SimTransportTest, ReceiverWithItsDeviceAwayReportsLinkDownExceptForTheLinkCheck) {
    AttachReceiver();
    EXPECT_EQ(transport->ChunkSize(), 24);
    Frame reply{};
    EXPECT_EQ(Send(0xAA, reply.data()), CMD_OK);
    EXPECT_EQ(reply[8], 0xFF);  // device reachable

    receiver->SetDeviceAway(true);
    EXPECT_EQ(Send(0x01), CMD_LINK_DOWN);
    // The link check's own code is 0xAA, so the echo rule matches first.
    EXPECT_EQ(Send(0xAA, reply.data()), CMD_OK);
    EXPECT_NE(reply[8], 0xFF);

    // On the cable an 0xAA reply is just a non-matching one.
    AttachWired();
    keyboard->SendCommandReport(BuildFrame(0xAA, 0, 0));
    EXPECT_EQ(Send(0x01), CMD_OK);
}

TEST_F(SimTransportTest, SilentDeviceCostsTwoReadTimeOutsAndALateReplyStillCounts) {
    AttachWired();
    keyboard->InjectFault({sim::FaultRule::NoReply, 0x01});
    auto start = Clock::now();
    EXPECT_EQ(Send(0x01), CMD_NO_REPLY);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(ms, 1900);
    EXPECT_LT(ms, 4500);

    keyboard->InjectFault({sim::FaultRule::Delay, 0x01, 0, 1, 300});
    EXPECT_EQ(Send(0x01), CMD_OK);
}

TEST_F(SimTransportTest, UnplugMidTransferFailsAtOnce) {
    AttachWired();
    keyboard->InjectFault({sim::FaultRule::Unplug, 0x06, 2});
    const uint8_t data[8] = {};
    int results[4];
    auto start = Clock::now();
    for (int page = 0; page < 4; ++page)
        results[page] = transport->Command(&transport->CommandLock(), 0x06, 8, page * 8, data);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(results[0], CMD_OK);
    EXPECT_EQ(results[1], CMD_OK);
    EXPECT_EQ(results[2], CMD_NO_REPLY);
    EXPECT_EQ(results[3], CMD_WRITE_FAILED);
}

TEST_F(SimTransportTest, LinkTypeSelectsChunkAndDataLengthIsBounded) {
    EXPECT_EQ(transport->ChunkSize(), 24);  // before any link is chosen
    transport->SetLinkType(kLinkReceiver);
    EXPECT_EQ(transport->ChunkSize(), 24);
    EXPECT_TRUE(transport->IsReceiverLink());
    transport->SetLinkType(1);
    EXPECT_EQ(transport->ChunkSize(), 56);
    transport->SetLinkType(7);
    EXPECT_EQ(transport->ChunkSize(), 56);
    EXPECT_FALSE(transport->IsReceiverLink());
    EXPECT_TRUE(transport->SetDataLength(312));
    EXPECT_FALSE(transport->SetDataLength(513));
    EXPECT_EQ(transport->DataLength(), 312);
    EXPECT_TRUE(transport->SetDataLength(512));
}

TEST_F(SimTransportTest, DebugLogShowsRequestAndReplyInTheFixedLayout) {
    AttachWired();
    DebugCapture capture;
    const uint8_t payload[2] = {0xAB, 0xCD};
    ASSERT_EQ(transport->Command(&transport->CommandLock(), 0x06, 2, 0x0180, payload), CMD_OK);
    auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1],
              "04 01 02 06   02 80 01 00   ab cd 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
              "00 00 00 00  00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
    // Quiet exchanges write nothing.
    capture.Clear();
    transport->Command(&transport->StreamLock(), 0x12, 0, 0, {}, nullptr, true);
    EXPECT_TRUE(capture.Lines().empty());
}
