#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "device/HidConnection.h"
#include "platform/CriticalSection.h"

namespace vivori {

// Result codes of an exchange and of the commands built on it.
enum CommandResult : int {
    CMD_OK = 1,
    CMD_NO_REPLY = 0,
    CMD_WRITE_FAILED = -1,
    CMD_LINK_DOWN = -101,
    CMD_DEVICE_ERROR_FF = -102,
    CMD_DEVICE_ERROR_FE = -103,
    CMD_BAD_BLOCK = -201,
    // A light frame that was not sent because another exchange was under way.
    CMD_DROPPED = -301,
};

const char* CommandResultName(int result);

inline constexpr size_t kFrameSize = 64;
inline constexpr uint8_t kFrameReportId = 4;
inline constexpr size_t kFramePayloadOffset = 8;
inline constexpr size_t kFramePayloadSize = kFrameSize - kFramePayloadOffset;
using Frame = std::array<uint8_t, kFrameSize>;

// Sum of bytes 3..63, truncated to 16 bits.
uint16_t FrameChecksum(const Frame& frame);
// A request frame: report ID, command, length, offset, payload, then the checksum.
Frame BuildFrame(uint8_t command, uint8_t length, uint16_t offset,
                 std::span<const uint8_t> payload = {});
// The two dump lines of the debug log for one 64-byte frame.
void DebugDumpFrame(const uint8_t* frame);

// Command codes (frame byte 3).
inline constexpr uint8_t CMD_CONFIG_BEGIN = 0x01;
inline constexpr uint8_t CMD_CONFIG_END = 0x02;
inline constexpr uint8_t CMD_READ_INFO = 0x03;
inline constexpr uint8_t CMD_READ_PARAMS = 0x05;
inline constexpr uint8_t CMD_WRITE_PARAMS = 0x06;
inline constexpr uint8_t CMD_READ_KEYMAP = 0x07;
inline constexpr uint8_t CMD_WRITE_KEYMAP = 0x09;
inline constexpr uint8_t CMD_READ_KEY_COLOURS = 0x0A;
inline constexpr uint8_t CMD_WRITE_KEY_COLOURS = 0x0B;
inline constexpr uint8_t CMD_LIGHT_FRAME = 0x12;
inline constexpr uint8_t CMD_WRITE_MACROS = 0x15;
inline constexpr uint8_t CMD_WRITE_SHOOT = 0x17;
inline constexpr uint8_t CMD_READ_STATUS = 0x1A;
inline constexpr uint8_t CMD_READ_LED_MAP = 0x1B;
inline constexpr uint8_t CMD_HOST_LIGHT_ON = 0x1C;
inline constexpr uint8_t CMD_LINK_CHECK = 0xAA;

// The device information block: byte 5 key slots, byte 6 macro memory / 128.
inline constexpr size_t kInfoSize = 34;
inline constexpr size_t kInfoKeySlots = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kMacroUnitBytes = 128;
inline constexpr uint32_t kKeyColourBlockSize = 512;

inline constexpr int kLinkWired = 1;
inline constexpr int kLinkReceiver = 2;

// The command exchange of one device object: two connections (the device on its
// cable, and through its receiver), one selected by the receiver flag, and the
// locks that keep each exchange whole.
class CommandTransport {
  public:
    explicit CommandTransport(std::shared_ptr<hid::HidBus> bus = nullptr);
    ~CommandTransport();

    // The logged exchange used by every command but the light frame.
    int Transact(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 uint32_t* bytesRead);
    // Unlogged, with short receiver time-outs: for streamed light frames.
    int TransactQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                      size_t replyLength, uint32_t* bytesRead);

    // kLinkReceiver selects the receiver (chunk 24); anything else the cable (chunk 56).
    void SetLinkType(int type);
    // Key-map length for the key-map commands; refused (and unchanged) above 512.
    bool SetDataLength(uint32_t length);
    uint16_t DataLength() const { return dataLength_; }

    // True while any exchange is in flight: a command and a streamed frame may run
    // together, and the first to end must not clear the other's busy state.
    bool IsBusy() const { return exchangesInFlight_.load() > 0; }
    bool IsOpen() const { return open_.load() != 0; }
    // A (re)opened device is taken as answering until it is silent again.
    void SetOpen(bool open) {
        if (open) answering_.store(true);
        open_.store(open ? 1 : 0);
    }
    bool IsReceiverLink() const { return receiverFlag_.load() != 0; }
    // The receiver flag alone; the owner uses it as a second open flag on the
    // notification transport.
    void SetReceiverFlag(bool on) { receiverFlag_.store(on ? 1 : 0); }
    uint8_t ChunkSize() const { return chunkSize_.load(); }
    bool SyncLighting() const { return syncLighting_.load() != 0; }
    void SetSyncLighting(bool on) { syncLighting_.store(on ? 1 : 0); }

    // With fail-fast on, an exchange the device leaves unanswered marks it as not
    // answering, and from then on exchanges fail at once instead of each waiting for
    // its time-out, until a probe (ProbeStatus) or a re-open finds it answering again.
    void SetFailFast(bool on) { failFast_.store(on); }
    bool Answering() const { return answering_.load(); }
    void SetAnswering(bool answering) { answering_.store(answering); }
    // ReadStatus that goes out even while the device is marked as not answering;
    // with checkLink, after a LinkCheck (CMD_LINK_DOWN when it fails).
    int ProbeStatus(uint8_t* destination, size_t length, bool checkLink);

    HidConnection& Wired() { return wired_; }
    HidConnection& Receiver() { return receiver_; }
    HidConnection& Active() { return IsReceiverLink() ? receiver_ : wired_; }

    CriticalSection& IoLock() { return ioLock_; }
    CriticalSection& AuxLock() { return auxLock_; }
    CriticalSection& CommandLock() { return commandLock_; }
    CriticalSection& StreamLock() { return streamLock_; }

    // Command level: builds the frame, runs one exchange under the given lock and
    // judges the reply's status byte. reply (64 bytes) may be null. A droppable
    // command never waits behind another exchange: it gives CMD_DROPPED instead.
    int Command(CriticalSection* lock, uint8_t command, uint8_t length, uint16_t offset,
                std::span<const uint8_t> payload = {}, uint8_t* reply = nullptr,
                bool quiet = false, bool droppable = false);

    // The command set. Each returns a result code (CMD_OK on success); paged
    // commands stop at the first page that fails, earlier pages stay written.
    int ConfigBegin();
    // Waits 10 ms first: the device needs it after the last write.
    int ConfigEnd();
    int HostLightOn();
    int ReadInfo(uint8_t* destination);  // kInfoSize bytes
    int ReadParams(uint8_t* destination, size_t length, uint16_t base);
    int WriteParams(const uint8_t* source, size_t length, uint16_t base);
    // Both move DataLength() bytes; a block other than 0 is refused unsent.
    int ReadKeyMap(uint8_t* destination);
    int WriteKeyMap(const uint8_t* source, int block);
    int ReadLedMap(uint8_t* destination);  // DataLength() / 3 bytes
    int ReadKeyColours(uint8_t* destination, size_t length, int block,
                       uint32_t blockSize = kKeyColourBlockSize);
    // Under the stream lock, so lighting does not queue behind configuration.
    int WriteKeyColours(const uint8_t* source, size_t length, int block,
                        uint32_t blockSize = kKeyColourBlockSize);
    // Quiet, under the stream lock; a page that meets a busy transport is dropped
    // and counts as sent.
    int SendLightFrame(const uint8_t* source, size_t length);
    int WriteMacroImage(const uint8_t* image, size_t length);
    // Pages of 56 on either link and no lock of its own: the firmware expects it.
    int WriteShoot(const uint8_t* image, size_t length);
    // One frame; copies length bytes (at most 56) of the reply's data.
    int ReadStatus(uint8_t* destination, size_t length, uint16_t offset);
    // True on the cable without traffic; on the receiver only when it answers that
    // its wireless device is reachable (reply byte 8 = 0xFF).
    bool LinkCheck();

  private:
    // One paged transfer: into destination (a read) or from source (a write).
    struct Transfer {
        uint8_t command = 0;
        uint8_t* destination = nullptr;
        const uint8_t* source = nullptr;
        size_t length = 0;
        uint32_t base = 0;
        size_t pageSize = 0;
        CriticalSection* lock = nullptr;
        bool quiet = false;
        bool dropWhenBusy = false;
    };
    int Paged(const Transfer& transfer);
    // The read phase of an exchange: at most two reads, until the echo of the
    // request's command, length and offset.
    int ReadReply(HidConnection& link, const uint8_t* request, bool onReceiver, uint8_t* reply,
                  size_t replyLength, uint32_t* bytesRead, int timeout);
    int Exchange(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
                 uint32_t* bytesRead, bool quiet, bool droppable = false);
    // Write and read each under the I/O lock, so exchanges of several threads overlap.
    int SharedExchange(HidConnection& link, const uint8_t* frame, bool onReceiver,
                       uint8_t* reply, size_t replyLength, uint32_t* bytesRead, int timeout);
    // A droppable exchange whole under the I/O lock, or CMD_DROPPED when another
    // exchange holds or wants the link.
    int DroppableExchange(HidConnection& link, const uint8_t* frame, bool onReceiver,
                          uint8_t* reply, size_t replyLength, uint32_t* bytesRead, int timeout);

    std::atomic<uint16_t> dataLength_{512};
    std::atomic<int> exchangesInFlight_{0};
    std::atomic<uint32_t> open_{0};
    std::atomic<uint32_t> syncLighting_{0};
    std::atomic<bool> failFast_{false};
    std::atomic<bool> answering_{true};
    HidConnection wired_;
    HidConnection receiver_;
    CriticalSection ioLock_;
    CriticalSection auxLock_;
    CriticalSection commandLock_;
    CriticalSection streamLock_;
    // Exchanges written and not yet read (a command and a light frame may overlap);
    // under the io lock.
    int awaitingReply_ = 0;
    std::atomic<uint32_t> receiverFlag_{0};
    std::atomic<uint8_t> chunkSize_{24};
};

}  // namespace vivori
