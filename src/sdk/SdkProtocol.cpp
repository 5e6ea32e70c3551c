#include "sdk/SdkProtocol.h"

#include <cstring>

namespace vivori::sdk {

namespace {

constexpr uint8_t kMagic[4] = {'O', 'R', 'G', 'B'};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
// Strings carry their length with the terminating zero, and the zero.
void PutString(std::vector<uint8_t>& out, const std::string& s) {
    const size_t n = std::min<size_t>(s.size(), 0xFFFE);
    Put16(out, static_cast<uint16_t>(n + 1));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    out.push_back(0);
}
void PutColours(std::vector<uint8_t>& out, const std::vector<Colour>& colours) {
    Put16(out, static_cast<uint16_t>(std::min<size_t>(colours.size(), 0xFFFF)));
    for (size_t i = 0; i < colours.size() && i < 0xFFFF; ++i) Put32(out, PackColour(colours[i]));
}

// Reads little-endian values; once a read runs past the end every later read fails too.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return ok_ && at_ == bytes_.size(); }
    size_t Left() const { return ok_ ? bytes_.size() - at_ : 0; }
    uint32_t U32() {
        if (!Need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(bytes_[at_ + size_t(i)]) << (8 * i);
        at_ += 4;
        return v;
    }
    uint16_t U16() {
        if (!Need(2)) return 0;
        const uint16_t v = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    std::string String() {
        const uint16_t n = U16();
        if (!Need(n)) return {};
        std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), n);
        at_ += n;
        if (!s.empty() && s.back() == '\0') s.pop_back();
        return s;
    }
    std::vector<Colour> Colours() {
        const uint16_t n = U16();
        std::vector<Colour> colours;
        if (!Need(size_t(n) * 4)) return colours;
        colours.reserve(n);
        for (uint16_t i = 0; i < n; ++i) colours.push_back(UnpackColour(U32()));
        return colours;
    }

  private:
    bool Need(size_t n) {
        if (ok_ && bytes_.size() - at_ >= n) return true;
        ok_ = false;
        return false;
    }
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

// Update payloads start with their own size, which must be the packet's.
bool SizePrefixMatches(Reader& r, size_t length) {
    return r.U32() == length && r.Ok();
}

}  // namespace

uint32_t PackColour(Colour c) {
    return uint32_t(c.red) | uint32_t(c.green) << 8 | uint32_t(c.blue) << 16;
}

Colour UnpackColour(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
}

HeaderVerdict ReadHeader(std::span<const uint8_t> bytes, Header& header) {
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return HeaderVerdict::BadMagic;
    Reader r(bytes.subspan(4, 12));
    header.device = r.U32();
    header.id = r.U32();
    header.size = r.U32();
    return header.size > kMaxPayload ? HeaderVerdict::TooLarge : HeaderVerdict::Good;
}

void AppendHeader(std::vector<uint8_t>& out, uint32_t device, uint32_t id, uint32_t size) {
    out.insert(out.end(), kMagic, kMagic + 4);
    Put32(out, device);
    Put32(out, id);
    Put32(out, size);
}

void AppendPacket(std::vector<uint8_t>& out, uint32_t device, uint32_t id,
                  std::span<const uint8_t> payload) {
    AppendHeader(out, device, id, static_cast<uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

void EncodeMode(std::vector<uint8_t>& out, const Mode& m, uint32_t version) {
    PutString(out, m.name);
    Put32(out, static_cast<uint32_t>(m.value));
    Put32(out, m.flags);
    Put32(out, m.speedMin);
    Put32(out, m.speedMax);
    if (version >= 3) {
        Put32(out, m.brightnessMin);
        Put32(out, m.brightnessMax);
    }
    Put32(out, m.coloursMin);
    Put32(out, m.coloursMax);
    Put32(out, m.speed);
    if (version >= 3) Put32(out, m.brightness);
    Put32(out, m.direction);
    Put32(out, m.colourMode);
    PutColours(out, m.colours);
}

std::vector<uint8_t> EncodeController(const Controller& c, uint32_t version) {
    std::vector<uint8_t> out;
    out.reserve(256 + c.leds.size() * 24 + c.zones.size() * 64);
    Put32(out, 0);  // the block's size, filled in at the end
    Put32(out, static_cast<uint32_t>(c.type));
    PutString(out, c.name);
    if (version >= 1) PutString(out, c.vendor);
    PutString(out, c.description);
    PutString(out, c.version);
    PutString(out, c.serial);
    PutString(out, c.location);
    Put16(out, static_cast<uint16_t>(c.modes.size()));
    Put32(out, static_cast<uint32_t>(c.activeMode));
    for (const Mode& m : c.modes) EncodeMode(out, m, version);
    Put16(out, static_cast<uint16_t>(c.zones.size()));
    for (const Zone& z : c.zones) {
        PutString(out, z.name);
        Put32(out, static_cast<uint32_t>(z.type));
        Put32(out, z.ledCount);  // fixed size: smallest, largest and current alike
        Put32(out, z.ledCount);
        Put32(out, z.ledCount);
        const bool hasMatrix =
            z.type == kZoneMatrix && z.rows * z.columns == z.matrix.size() && !z.matrix.empty();
        if (hasMatrix) {
            Put16(out, static_cast<uint16_t>(8 + z.matrix.size() * 4));
            Put32(out, z.rows);
            Put32(out, z.columns);
            for (uint32_t v : z.matrix) Put32(out, v);
        } else {
            Put16(out, 0);
        }
        if (version >= 4) Put16(out, 0);  // no segments
    }
    Put16(out, static_cast<uint16_t>(c.leds.size()));
    for (const Led& led : c.leds) {
        PutString(out, led.name);
        Put32(out, led.value);
    }
    PutColours(out, c.colours);
    const uint32_t size = static_cast<uint32_t>(out.size());
    for (int i = 0; i < 4; ++i) out[size_t(i)] = static_cast<uint8_t>(size >> (8 * i));
    return out;
}

std::optional<LedUpdate> DecodeUpdateLeds(std::span<const uint8_t> payload) {
    Reader r(payload);
    if (!SizePrefixMatches(r, payload.size())) return std::nullopt;
    LedUpdate update{std::nullopt, r.Colours()};
    if (!r.AtEnd()) return std::nullopt;
    return update;
}

std::optional<LedUpdate> DecodeUpdateZoneLeds(std::span<const uint8_t> payload) {
    Reader r(payload);
    if (!SizePrefixMatches(r, payload.size())) return std::nullopt;
    LedUpdate update;
    update.zone = r.U32();
    update.colours = r.Colours();
    if (!r.AtEnd()) return std::nullopt;
    return update;
}

std::optional<SingleLed> DecodeUpdateSingleLed(std::span<const uint8_t> payload) {
    Reader r(payload);
    SingleLed single;
    single.led = static_cast<int32_t>(r.U32());
    single.colour = UnpackColour(r.U32());
    if (!r.AtEnd()) return std::nullopt;
    return single;
}

std::optional<ModeUpdate> DecodeUpdateMode(std::span<const uint8_t> payload, uint32_t version) {
    Reader r(payload);
    if (!SizePrefixMatches(r, payload.size())) return std::nullopt;
    ModeUpdate update;
    update.index = static_cast<int32_t>(r.U32());
    Mode& m = update.mode;
    m.name = r.String();
    m.value = static_cast<int32_t>(r.U32());
    m.flags = r.U32();
    m.speedMin = r.U32();
    m.speedMax = r.U32();
    if (version >= 3) {
        m.brightnessMin = r.U32();
        m.brightnessMax = r.U32();
    }
    m.coloursMin = r.U32();
    m.coloursMax = r.U32();
    m.speed = r.U32();
    if (version >= 3) m.brightness = r.U32();
    m.direction = r.U32();
    m.colourMode = r.U32();
    m.colours = r.Colours();
    if (!r.AtEnd()) return std::nullopt;
    return update;
}

}  // namespace vivori::sdk
