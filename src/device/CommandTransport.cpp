#include "device/CommandTransport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/Debug.h"

namespace vivori {

namespace {

constexpr int kReceiverTimeoutMs = 5000;
constexpr int kWiredTimeoutMs = 1000;
constexpr int kQuietReceiverTimeoutMs = 500;
constexpr uint8_t kLinkDownCode = 0xAA;
// Set around a probe: its exchange goes out while the device is marked silent.
thread_local bool tProbing = false;

}  // namespace

const char* CommandResultName(int result) {
    switch (result) {
        case CMD_OK:
            return "CMD_OK";
        case CMD_NO_REPLY:
            return "CMD_NO_REPLY";
        case CMD_WRITE_FAILED:
            return "CMD_WRITE_FAILED";
        case CMD_LINK_DOWN:
            return "CMD_LINK_DOWN";
        case CMD_DEVICE_ERROR_FF:
            return "CMD_DEVICE_ERROR_FF";
        case CMD_DEVICE_ERROR_FE:
            return "CMD_DEVICE_ERROR_FE";
        case CMD_BAD_BLOCK:
            return "CMD_BAD_BLOCK";
        case CMD_DROPPED:
            return "CMD_DROPPED";
        default:
            return "CMD_UNKNOWN";
    }
}

uint16_t FrameChecksum(const Frame& frame) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

Frame BuildFrame(uint8_t command, uint8_t length, uint16_t offset,
                 std::span<const uint8_t> payload) {
    Frame f{};
    f[0] = kFrameReportId;
    f[3] = command;
    f[4] = length;
    f[5] = static_cast<uint8_t>(offset);
    f[6] = static_cast<uint8_t>(offset >> 8);
    f[7] = 0;
    if (!payload.empty())
        std::memcpy(f.data() + kFramePayloadOffset, payload.data(),
                    std::min(payload.size(), kFramePayloadSize));
    uint16_t sum = FrameChecksum(f);
    f[1] = static_cast<uint8_t>(sum);
    f[2] = static_cast<uint8_t>(sum >> 8);
    return f;
}

void DebugDumpFrame(const uint8_t* f) {
    // Groups of four: three blanks between the first four groups, two after.
    static const char* kLine =
        "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x "
        "%02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x "
        "%02x";
    for (int half = 0; half < 2; ++half) {
        const uint8_t* b = f + half * 32;
        char line[160];
        std::snprintf(line, sizeof line, kLine, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7],
                      b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15], b[16], b[17], b[18],
                      b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26], b[27], b[28], b[29],
                      b[30], b[31]);
        DebugOutput(line);
    }
}

CommandTransport::CommandTransport(std::shared_ptr<hid::HidBus> bus)
    : wired_(bus), receiver_(bus) {}

CommandTransport::~CommandTransport() {
    SetOpen(false);
    wired_.Close();
    receiver_.Close();
}

void CommandTransport::SetLinkType(int type) {
    const bool receiver = type == kLinkReceiver;
    receiverFlag_.store(receiver ? 1 : 0);
    chunkSize_.store(receiver ? 24 : 56);
}

bool CommandTransport::SetDataLength(uint32_t length) {
    if (length > 512) return false;
    dataLength_.store(static_cast<uint16_t>(length));
    return true;
}

int CommandTransport::Transact(const uint8_t* request, size_t requestLength, uint8_t* reply,
                               size_t replyLength, uint32_t* bytesRead) {
    return Exchange(request, requestLength, reply, replyLength, bytesRead, false);
}

int CommandTransport::TransactQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                    size_t replyLength, uint32_t* bytesRead) {
    return Exchange(request, requestLength, reply, replyLength, bytesRead, true);
}

int CommandTransport::ReadReply(HidConnection& link, const uint8_t* request, bool onReceiver,
                                uint8_t* reply, size_t replyLength, uint32_t* bytesRead,
                                int timeout) {
    // A reply must reach its status byte; a shorter one cannot be judged.
    const size_t needed = std::min(replyLength, kFramePayloadOffset);
    for (int attempt = 0; attempt < 2; ++attempt) {
        uint32_t got = 0;
        const int read = link.ReadReport(reply, replyLength, &got, timeout);
        if (bytesRead) *bytesRead = got;
        // A time-out or an abort; the second attempt gets its own time-out.
        if (read <= 0) continue;
        // Bytes the device did not send are zero, never left from an earlier report.
        if (got < replyLength) std::memset(reply + got, 0, replyLength - got);
        if (got < needed || replyLength <= 6) continue;
        // The answer echoes command, length and offset: a late reply to an earlier
        // request of the same command at another offset is not this one's answer.
        if (std::memcmp(reply + 3, request + 3, 4) == 0) return CMD_OK;
        if (onReceiver && reply[3] == kLinkDownCode) return CMD_LINK_DOWN;
        // Another request's late reply, or a report of another kind: read once more.
        // Two of them mean this request went unanswered.
    }
    return CMD_NO_REPLY;
}

int CommandTransport::SharedExchange(HidConnection& link, const uint8_t* frame, bool onReceiver,
                                     uint8_t* reply, size_t replyLength, uint32_t* bytesRead,
                                     int timeout) {
    uint32_t written = 0;
    {
        CriticalSectionLock lock(ioLock_);
        // Replies that came after their exchange gave up must not answer this one.
        // While another exchange waits between its write and its read, its answer
        // may be among them, so they stay and the echo check sorts them out.
        if (awaitingReply_ == 0) link.DiscardInput();
        if (link.WriteReport(frame, kFrameSize, &written, timeout) <= 0) return CMD_WRITE_FAILED;
        ++awaitingReply_;
    }
    CriticalSectionLock lock(ioLock_);
    const int result = ReadReply(link, frame, onReceiver, reply, replyLength, bytesRead, timeout);
    --awaitingReply_;
    return result;
}

int CommandTransport::DroppableExchange(HidConnection& link, const uint8_t* frame,
                                        bool onReceiver, uint8_t* reply, size_t replyLength,
                                        uint32_t* bytesRead, int timeout) {
    // Holding the link from write to read keeps this answer from being taken by
    // another exchange's read, and another answer from being taken by this one; so
    // the exchange runs only while no other is under way or waiting for the link.
    std::unique_lock<CriticalSection> io(ioLock_, std::try_to_lock);
    if (!io.owns_lock() || exchangesInFlight_.load() > 1 || awaitingReply_ != 0)
        return CMD_DROPPED;
    link.DiscardInput();
    uint32_t written = 0;
    if (link.WriteReport(frame, kFrameSize, &written, timeout) <= 0) return CMD_WRITE_FAILED;
    return ReadReply(link, frame, onReceiver, reply, replyLength, bytesRead, timeout);
}

int CommandTransport::Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply,
                               size_t replyLength, uint32_t* bytesRead, bool quiet,
                               bool droppable) {
    if (bytesRead) *bytesRead = 0;
    const bool failFast = failFast_.load();
    if (failFast && !answering_.load() && !tProbing) return CMD_NO_REPLY;
    exchangesInFlight_.fetch_add(1);
    int result = CMD_NO_REPLY;
    if (open_.load() != 0) {
        Frame frame{};
        std::memcpy(frame.data(), request, std::min(requestLength, kFrameSize));
        const bool log = !quiet && DebugEnabled();
        if (log) {
            DebugOutput("命令");
            DebugDumpFrame(frame.data());
        }
        const bool onReceiver = IsReceiverLink();
        HidConnection& link = onReceiver ? receiver_ : wired_;
        const int timeout =
            onReceiver ? (quiet ? kQuietReceiverTimeoutMs : kReceiverTimeoutMs) : kWiredTimeoutMs;
        if (droppable) {
            result = DroppableExchange(link, frame.data(), onReceiver, reply, replyLength,
                                       bytesRead, timeout);
        } else {
            result = SharedExchange(link, frame.data(), onReceiver, reply, replyLength, bytesRead,
                                    timeout);
            if (log && result != CMD_WRITE_FAILED) {
                Frame shown{};
                std::memcpy(shown.data(), reply, std::min(replyLength, kFrameSize));
                DebugOutput("返回");
                DebugDumpFrame(shown.data());
            }
        }
    }
    exchangesInFlight_.fetch_sub(1);
    // Streamed frames are dropped when late; only a command's silence counts.
    if (failFast && open_.load() != 0 && !quiet) {
        if (result == CMD_NO_REPLY || result == CMD_WRITE_FAILED)
            answering_.store(false);
        else if (result == CMD_OK)
            answering_.store(true);
    }
    return result;
}

int CommandTransport::ProbeStatus(uint8_t* destination, size_t length, bool checkLink) {
    tProbing = true;
    const int result =
        checkLink && !LinkCheck() ? int(CMD_LINK_DOWN) : ReadStatus(destination, length, 0);
    tProbing = false;  // the exchange itself marked the device answering or not
    return result;
}

int CommandTransport::Command(CriticalSection* lock, uint8_t command, uint8_t length,
                              uint16_t offset, std::span<const uint8_t> payload, uint8_t* reply,
                              bool quiet, bool droppable) {
    const Frame request = BuildFrame(command, length, offset, payload);
    Frame answer{};
    int result;
    {
        std::unique_lock<CriticalSection> guard;
        if (lock) guard = std::unique_lock<CriticalSection>(*lock);
        result = Exchange(request.data(), kFrameSize, answer.data(), kFrameSize, nullptr, quiet,
                          droppable);
    }
    if (reply) std::memcpy(reply, answer.data(), kFrameSize);
    if (result != CMD_OK) return result;
    if (answer[7] == 0xFF) return CMD_DEVICE_ERROR_FF;
    if (answer[7] == 0xFE) return CMD_DEVICE_ERROR_FE;
    return CMD_OK;
}

}  // namespace vivori
