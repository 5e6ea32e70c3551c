// The commands of the device protocol, each one operation of CommandTransport.
#include <algorithm>
#include <cstring>

#include "device/CommandTransport.h"
#include "platform/Debug.h"
#include "platform/Time.h"

namespace vivori {

namespace {
// The firmware pages recoil data by a full frame on either link.
constexpr size_t kShootPageSize = kFramePayloadSize;
constexpr int kConfigEndWaitMs = 10;
constexpr uint8_t kLinkReachable = 0xFF;
}  // namespace

int CommandTransport::Paged(const Transfer& t) {
    Frame reply{};
    bool dropped = false;
    for (size_t done = 0; done < t.length;) {
        const size_t n = std::min(t.pageSize, t.length - done);
        const auto offset = static_cast<uint16_t>(t.base + done);
        std::span<const uint8_t> payload;
        if (t.source) payload = {t.source + done, n};
        const int result =
            t.dropWhenBusy && IsBusy()
                ? CMD_DROPPED
                : Command(t.lock, t.command, static_cast<uint8_t>(n), offset, payload,
                          reply.data(), t.quiet, t.dropWhenBusy);
        if (result == CMD_DROPPED) {
            // Light output never waits behind configuration traffic: the next
            // frame brings the colours again.
            DebugOutput("放弃灯光数据");
            dropped = true;
            done += n;
            continue;
        }
        if (result != CMD_OK) return result;
        if (t.destination) std::memcpy(t.destination + done, reply.data() + kFramePayloadOffset, n);
        done += n;
    }
    return dropped ? CMD_DROPPED : CMD_OK;
}

int CommandTransport::ConfigBegin() {
    return Command(&commandLock_, CMD_CONFIG_BEGIN, 0, 0);
}

int CommandTransport::ConfigEnd() {
    Sleep(kConfigEndWaitMs);
    return Command(&commandLock_, CMD_CONFIG_END, 0, 0);
}

int CommandTransport::HostLightOn() {
    return Command(&commandLock_, CMD_HOST_LIGHT_ON, 0, 0);
}

int CommandTransport::ReadInfo(uint8_t* destination) {
    return Paged({.command = CMD_READ_INFO,
                  .destination = destination,
                  .length = kInfoSize,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::ReadParams(uint8_t* destination, size_t length, uint16_t base) {
    return Paged({.command = CMD_READ_PARAMS,
                  .destination = destination,
                  .length = length,
                  .base = base,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::WriteParams(const uint8_t* source, size_t length, uint16_t base) {
    return Paged({.command = CMD_WRITE_PARAMS,
                  .source = source,
                  .length = length,
                  .base = base,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::ReadKeyMap(uint8_t* destination) {
    return Paged({.command = CMD_READ_KEYMAP,
                  .destination = destination,
                  .length = DataLength(),
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::WriteKeyMap(const uint8_t* source, int block) {
    if (block != 0) return CMD_BAD_BLOCK;
    return Paged({.command = CMD_WRITE_KEYMAP,
                  .source = source,
                  .length = DataLength(),
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::ReadLedMap(uint8_t* destination) {
    return Paged({.command = CMD_READ_LED_MAP,
                  .destination = destination,
                  .length = DataLength() / 3u,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::ReadKeyColours(uint8_t* destination, size_t length, int block,
                                     uint32_t blockSize) {
    return Paged({.command = CMD_READ_KEY_COLOURS,
                  .destination = destination,
                  .length = length,
                  .base = static_cast<uint32_t>(block) * blockSize,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::WriteKeyColours(const uint8_t* source, size_t length, int block,
                                      uint32_t blockSize) {
    return Paged({.command = CMD_WRITE_KEY_COLOURS,
                  .source = source,
                  .length = length,
                  .base = static_cast<uint32_t>(block) * blockSize,
                  .pageSize = ChunkSize(),
                  .lock = &streamLock_});
}

int CommandTransport::SendLightFrame(const uint8_t* source, size_t length) {
    return Paged({.command = CMD_LIGHT_FRAME,
                  .source = source,
                  .length = length,
                  .pageSize = ChunkSize(),
                  .lock = &streamLock_,
                  .quiet = true,
                  .dropWhenBusy = true});
}

int CommandTransport::WriteMacroImage(const uint8_t* image, size_t length) {
    return Paged({.command = CMD_WRITE_MACROS,
                  .source = image,
                  .length = length,
                  .pageSize = ChunkSize(),
                  .lock = &commandLock_});
}

int CommandTransport::WriteShoot(const uint8_t* image, size_t length) {
    return Paged({.command = CMD_WRITE_SHOOT,
                  .source = image,
                  .length = length,
                  .pageSize = kShootPageSize,
                  .lock = nullptr});
}

int CommandTransport::ReadStatus(uint8_t* destination, size_t length, uint16_t offset) {
    const size_t n = std::min(length, kFramePayloadSize);
    Frame reply{};
    int result =
        Command(&commandLock_, CMD_READ_STATUS, static_cast<uint8_t>(n), offset, {}, reply.data());
    if (result == CMD_OK) std::memcpy(destination, reply.data() + kFramePayloadOffset, n);
    return result;
}

bool CommandTransport::LinkCheck() {
    if (!IsReceiverLink()) return true;
    Frame reply{};
    return Command(&commandLock_, CMD_LINK_CHECK, 0, 0, {}, reply.data()) == CMD_OK &&
           reply[kFramePayloadOffset] == kLinkReachable;
}

}  // namespace vivori
