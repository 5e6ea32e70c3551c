#pragma once

// A lighting client for the tests: a blocking TCP socket that sends packets and reads
// replies, and an independent reading of the controller data block.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace vivori::testing {

struct ClientPacket {
    uint32_t device = 0;
    uint32_t id = 0;
    std::vector<uint8_t> payload;
};

struct ReadController;

class SdkTestClient {
  public:
    explicit SdkTestClient(uint16_t port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~SdkTestClient() { Close(); }
    SdkTestClient(const SdkTestClient&) = delete;
    SdkTestClient& operator=(const SdkTestClient&) = delete;

    bool Connected() const { return connected_; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    static void Put32(std::vector<uint8_t>& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    }
    static void Put16(std::vector<uint8_t>& out, uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    static std::vector<uint8_t> Packet(uint32_t device, uint32_t id,
                                       const std::vector<uint8_t>& payload = {}) {
        std::vector<uint8_t> out = {'O', 'R', 'G', 'B'};
        Put32(out, device);
        Put32(out, id);
        Put32(out, uint32_t(payload.size()));
        out.insert(out.end(), payload.begin(), payload.end());
        return out;
    }
    // An update-LEDs payload: its size, the count, the colours (0x00BBGGRR).
    static std::vector<uint8_t> LedsPayload(const std::vector<uint32_t>& colours,
                                            std::optional<uint32_t> zone = std::nullopt) {
        std::vector<uint8_t> out;
        Put32(out, 0);
        if (zone) Put32(out, *zone);
        Put16(out, uint16_t(colours.size()));
        for (uint32_t c : colours) Put32(out, c);
        const uint32_t size = uint32_t(out.size());
        std::memcpy(out.data(), &size, 4);
        return out;
    }

    bool SendRaw(const std::vector<uint8_t>& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    }
    bool Send(uint32_t device, uint32_t id, const std::vector<uint8_t>& payload = {}) {
        return SendRaw(Packet(device, id, payload));
    }
    // The next packet, or nothing when none comes within the time or the server closed.
    std::optional<ClientPacket> Receive(int timeoutMs = 3000) {
        std::vector<uint8_t> header;
        if (!Read(header, 16, timeoutMs) || std::memcmp(header.data(), "ORGB", 4) != 0)
            return std::nullopt;
        ClientPacket p;
        std::memcpy(&p.device, header.data() + 4, 4);
        std::memcpy(&p.id, header.data() + 8, 4);
        uint32_t size = 0;
        std::memcpy(&size, header.data() + 12, 4);
        if (!Read(p.payload, size, timeoutMs)) return std::nullopt;
        return p;
    }
    // The next packet with this id, skipping list-changed notices and the like.
    std::optional<ClientPacket> ReceiveId(uint32_t id, int timeoutMs = 3000) {
        for (int i = 0; i < 16; ++i) {
            auto p = Receive(timeoutMs);
            if (!p || p->id == id) return p;
        }
        return std::nullopt;
    }
    // True when the server closed the connection within the time.
    bool Closed(int timeoutMs = 3000) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) != 1) return false;
        uint8_t byte = 0;
        return recv(fd_, &byte, 1, MSG_PEEK) == 0;
    }
    std::optional<uint32_t> Negotiate(uint32_t version) {
        std::vector<uint8_t> v;
        Put32(v, version);
        Send(0, 40, v);
        auto reply = ReceiveId(40);
        if (!reply || reply->payload.size() != 4) return std::nullopt;
        uint32_t value = 0;
        std::memcpy(&value, reply->payload.data(), 4);
        return value;
    }
    std::optional<ReadController> Controller(uint32_t index, uint32_t version);
    std::optional<uint32_t> Count() {
        Send(0, 0);
        auto reply = ReceiveId(0);
        if (!reply || reply->payload.size() != 4) return std::nullopt;
        uint32_t value = 0;
        std::memcpy(&value, reply->payload.data(), 4);
        return value;
    }

  private:
    bool Read(std::vector<uint8_t>& out, size_t n, int timeoutMs) {
        out.resize(n);
        size_t got = 0;
        while (got < n) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) != 1) return false;
            const ssize_t r = recv(fd_, out.data() + got, n - got, 0);
            if (r <= 0) return false;
            got += size_t(r);
        }
        return true;
    }

    int fd_ = -1;
    bool connected_ = false;
};

// What the tests read from a controller data block (the layout of versions 0-4).
struct ReadController {
    int32_t type = -1;
    std::string name;
    std::vector<std::string> modeNames;
    std::vector<uint32_t> modeFlags;
    std::vector<uint32_t> modeSpeeds;
    int32_t activeMode = -1;
    struct Zone {
        std::string name;
        int32_t type = 0;
        uint32_t ledCount = 0;
        uint32_t rows = 0, columns = 0;
        std::vector<uint32_t> matrix;
    };
    std::vector<Zone> zones;
    std::vector<std::string> ledNames;
    std::vector<uint32_t> ledValues;
    std::vector<uint32_t> colours;
    bool complete = false;  // every byte read, and the block's size as declared
};

ReadController ReadControllerBlock(const std::vector<uint8_t>& b, uint32_t version);

inline std::optional<ReadController> SdkTestClient::Controller(uint32_t index, uint32_t version) {
    std::vector<uint8_t> asked;
    Put32(asked, version);
    Send(index, 1, asked);
    auto reply = ReceiveId(1);
    if (!reply) return std::nullopt;
    return ReadControllerBlock(reply->payload, version);
}

inline ReadController ReadControllerBlock(const std::vector<uint8_t>& b, uint32_t version) {
    ReadController c;
    size_t at = 0;
    bool ok = true;
    auto u32 = [&] {
        if (at + 4 > b.size()) return ok = false, 0u;
        uint32_t v;
        std::memcpy(&v, b.data() + at, 4);
        at += 4;
        return v;
    };
    auto u16 = [&] {
        if (at + 2 > b.size()) return ok = false, uint16_t(0);
        uint16_t v;
        std::memcpy(&v, b.data() + at, 2);
        at += 2;
        return v;
    };
    auto str = [&] {
        const uint16_t n = u16();
        if (at + n > b.size() || n == 0) return ok = false, std::string();
        std::string s(reinterpret_cast<const char*>(b.data() + at), n - 1);
        ok = ok && b[at + n - 1] == 0;
        at += n;
        return s;
    };
    const uint32_t size = u32();
    c.type = int32_t(u32());
    c.name = str();
    if (version >= 1) str();  // vendor
    for (int i = 0; i < 4; ++i) str();
    const uint16_t modes = u16();
    c.activeMode = int32_t(u32());
    for (uint16_t m = 0; m < modes && ok; ++m) {
        c.modeNames.push_back(str());
        u32();
        c.modeFlags.push_back(u32());
        u32(), u32();
        if (version >= 3) u32(), u32();
        u32(), u32();
        c.modeSpeeds.push_back(u32());
        if (version >= 3) u32();
        u32(), u32();
        const uint16_t n = u16();
        for (uint16_t i = 0; i < n; ++i) u32();
    }
    const uint16_t zones = u16();
    for (uint16_t z = 0; z < zones && ok; ++z) {
        ReadController::Zone zone;
        zone.name = str();
        zone.type = int32_t(u32());
        u32(), u32();
        zone.ledCount = u32();
        const uint16_t matrixSize = u16();
        if (matrixSize > 0) {
            zone.rows = u32();
            zone.columns = u32();
            for (uint32_t i = 0; i < zone.rows * zone.columns && ok; ++i)
                zone.matrix.push_back(u32());
            ok = ok && matrixSize == 8 + zone.matrix.size() * 4;
        }
        if (version >= 4) ok = ok && u16() == 0;
        c.zones.push_back(zone);
    }
    const uint16_t leds = u16();
    for (uint16_t i = 0; i < leds && ok; ++i) {
        c.ledNames.push_back(str());
        c.ledValues.push_back(u32());
    }
    const uint16_t colours = u16();
    for (uint16_t i = 0; i < colours && ok; ++i) c.colours.push_back(u32());
    c.complete = ok && at == b.size() && size == b.size();
    return c;
}

}  // namespace vivori::testing
