#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The lighting-client network protocol: a 16-byte header ("ORGB", device index,
// packet id, payload size, all little-endian) and the payloads of each packet, as
// the protocol's published description gives them. No sockets here: the server and
// the fuzz target both go through these functions.
namespace vivori::sdk {

inline constexpr uint32_t kHighestVersion = 4;
inline constexpr size_t kHeaderSize = 16;
// Larger payloads are refused: nothing this server takes comes near it.
inline constexpr uint32_t kMaxPayload = 1u << 20;

enum PacketId : uint32_t {
    kRequestControllerCount = 0,
    kRequestControllerData = 1,
    kRequestProtocolVersion = 40,
    kSetClientName = 50,
    kDeviceListUpdated = 100,
    kRequestProfileList = 150,
    kRequestSaveProfile = 151,
    kRequestLoadProfile = 152,
    kRequestDeleteProfile = 153,
    kRequestPluginList = 200,
    kResizeZone = 1000,
    kUpdateLeds = 1050,
    kUpdateZoneLeds = 1051,
    kUpdateSingleLed = 1052,
    kSetCustomMode = 1100,
    kUpdateMode = 1101,
    kSaveMode = 1102,
};

enum DeviceType : int32_t {
    kTypeKeyboard = 5,
    kTypeMouse = 6,
    kTypeMouseMat = 7,
    kTypeHeadset = 8,
};
enum ZoneType : int32_t { kZoneSingle = 0, kZoneLinear = 1, kZoneMatrix = 2 };

enum ModeFlag : uint32_t {
    kHasSpeed = 1u << 0,
    kHasDirectionLR = 1u << 1,
    kHasDirectionUD = 1u << 2,
    kHasDirectionHV = 1u << 3,
    kHasBrightness = 1u << 4,
    kHasPerLedColour = 1u << 5,
    kHasModeSpecificColour = 1u << 6,
    kHasRandomColour = 1u << 7,
    kManualSave = 1u << 8,
};
enum ColourMode : uint32_t {
    kColourNone = 0,
    kColourPerLed = 1,
    kColourModeSpecific = 2,
    kColourRandom = 3,
};
enum Direction : uint32_t { kLeft = 0, kRight = 1, kUp = 2, kDown = 3 };

// A colour as the protocol carries it: red in the low byte, then green and blue.
struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Colour&) const = default;
};
uint32_t PackColour(Colour c);
Colour UnpackColour(uint32_t value);

struct Mode {
    std::string name;
    int32_t value = 0;  // the device's own mode index; -1 for Direct
    uint32_t flags = 0;
    uint32_t speedMin = 0, speedMax = 0;
    uint32_t brightnessMin = 0, brightnessMax = 0;
    uint32_t coloursMin = 0, coloursMax = 0;
    uint32_t speed = 0;
    uint32_t brightness = 0;
    uint32_t direction = 0;
    uint32_t colourMode = kColourNone;
    std::vector<Colour> colours;
};

struct Zone {
    std::string name;
    int32_t type = kZoneLinear;
    uint32_t ledCount = 0;  // the zone's LEDs follow those of the zones before it
    // Matrix zones: rows x columns of LED indexes within the zone, kNoLed for a gap.
    uint32_t rows = 0;
    uint32_t columns = 0;
    std::vector<uint32_t> matrix;
};
inline constexpr uint32_t kNoLed = 0xFFFFFFFF;

struct Led {
    std::string name;
    uint32_t value = 0;  // the device's own LED index
};

// One controller: what a client is told about an attached device, and the state the
// clients set on it (active mode, mode values and LED colours).
struct Controller {
    uint64_t key = 0;  // names the device across list changes
    int32_t type = kTypeKeyboard;
    std::string name, vendor, description, version, serial, location;
    std::vector<Mode> modes;
    int32_t activeMode = 0;
    std::vector<Zone> zones;
    std::vector<Led> leds;
    std::vector<Colour> colours;  // one per LED
};

struct Header {
    uint32_t device = 0;
    uint32_t id = 0;
    uint32_t size = 0;
};
enum class HeaderVerdict { Good, BadMagic, TooLarge };
// Reads a header from at least kHeaderSize bytes.
HeaderVerdict ReadHeader(std::span<const uint8_t> bytes, Header& header);
void AppendHeader(std::vector<uint8_t>& out, uint32_t device, uint32_t id, uint32_t size);
// A whole packet: header and payload.
void AppendPacket(std::vector<uint8_t>& out, uint32_t device, uint32_t id,
                  std::span<const uint8_t> payload);

// The controller data block in the layout of a protocol version (0-4).
std::vector<uint8_t> EncodeController(const Controller& c, uint32_t version);
// A mode block in that layout (without the leading mode index), as update-mode carries.
void EncodeMode(std::vector<uint8_t>& out, const Mode& m, uint32_t version);

// Decoders of the payloads clients send; nullopt when the payload's own sizes do not
// add up to its length.
struct LedUpdate {
    std::optional<uint32_t> zone;  // the zone of an update-zone-LEDs packet
    std::vector<Colour> colours;
};
std::optional<LedUpdate> DecodeUpdateLeds(std::span<const uint8_t> payload);
std::optional<LedUpdate> DecodeUpdateZoneLeds(std::span<const uint8_t> payload);
struct SingleLed {
    int32_t led = 0;
    Colour colour;
};
std::optional<SingleLed> DecodeUpdateSingleLed(std::span<const uint8_t> payload);
struct ModeUpdate {
    int32_t index = 0;
    Mode mode;
};
std::optional<ModeUpdate> DecodeUpdateMode(std::span<const uint8_t> payload, uint32_t version);

}  // namespace vivori::sdk
