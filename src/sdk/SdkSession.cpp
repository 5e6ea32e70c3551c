#include "sdk/SdkSession.h"

#include <algorithm>

#include "platform/Debug.h"

namespace vivori::sdk {

namespace {

void AppendU32Reply(std::vector<uint8_t>& out, uint32_t device, uint32_t id, uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    AppendPacket(out, device, id, bytes);
}

// An empty list: its size, then a count of 0.
void AppendEmptyList(std::vector<uint8_t>& out, uint32_t id) {
    const uint8_t bytes[6] = {6, 0, 0, 0, 0, 0};
    AppendPacket(out, 0, id, bytes);
}

const char* RefusalText(SdkRegistry::Refusal refusal) {
    switch (refusal) {
        case SdkRegistry::Refusal::NoController:
            return "device index out of range";
        case SdkRegistry::Refusal::WrongLength:
            return "colour count does not match the LEDs";
        case SdkRegistry::Refusal::NoSuchMode:
            return "no such mode";
        case SdkRegistry::Refusal::NoSuchLed:
            return "no such LED or zone";
        case SdkRegistry::Refusal::None:
            break;
    }
    return "refused";
}

}  // namespace

SdkSession::SdkSession(SdkRegistry& registry, SdkActions* actions, std::string peer)
    : registry_(registry), actions_(actions), peer_(std::move(peer)) {}

bool SdkSession::Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    size_t at = 0;
    while (buffer_.size() - at >= kHeaderSize) {
        const std::span<const uint8_t> rest(buffer_.data() + at, buffer_.size() - at);
        Header header;
        const HeaderVerdict verdict = ReadHeader(rest, header);
        if (verdict != HeaderVerdict::Good) {
            DebugPrintf("sdk: client %s: %s, disconnected", peer_.c_str(),
                        verdict == HeaderVerdict::BadMagic ? "wrong magic" : "packet over 1 MiB");
            buffer_.clear();
            return false;
        }
        if (rest.size() - kHeaderSize < header.size) break;
        Dispatch(header, rest.subspan(kHeaderSize, header.size), out);
        at += kHeaderSize + header.size;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(at));
    return true;
}

void SdkSession::Drop(const Header& header, const char* why) {
    DebugPrintf("sdk: client %s: packet %u for device %u dropped: %s", peer_.c_str(), header.id,
                header.device, why);
}

void SdkSession::Carry(const std::optional<ControllerChange>& change,
                       const SdkRegistry::Refusal& refusal, const Header& header) {
    if (!change) {
        Drop(header, RefusalText(refusal));
        return;
    }
    if (actions_) actions_->ControllerChanged(*change);
}

void SdkSession::Dispatch(const Header& header, std::span<const uint8_t> payload,
                          std::vector<uint8_t>& out) {
    SdkRegistry::Refusal refusal = SdkRegistry::Refusal::None;
    switch (header.id) {
        case kRequestControllerCount:
            AppendU32Reply(out, 0, kRequestControllerCount, uint32_t(registry_.Count()));
            return;
        case kRequestControllerData: {
            uint32_t version = version_;
            if (payload.size() == 4)
                version = std::min(kHighestVersion, uint32_t(payload[0] | payload[1] << 8 |
                                                             payload[2] << 16 | payload[3] << 24));
            const auto block = registry_.Encode(header.device, version);
            if (!block) return Drop(header, "device index out of range");
            AppendPacket(out, header.device, kRequestControllerData, *block);
            return;
        }
        case kRequestProtocolVersion: {
            uint32_t asked = 0;
            if (payload.size() == 4)
                asked =
                    uint32_t(payload[0] | payload[1] << 8 | payload[2] << 16 | payload[3] << 24);
            version_ = std::min(asked, kHighestVersion);
            AppendU32Reply(out, 0, kRequestProtocolVersion, version_);
            return;
        }
        case kSetClientName: {
            std::string name(payload.begin(), payload.end());
            name.resize(std::min(name.find('\0'), size_t(256)));
            name_ = std::move(name);
            DebugPrintf("sdk: client %s is \"%s\"", peer_.c_str(), name_.c_str());
            return;
        }
        case kRequestProfileList:
            return AppendEmptyList(out, kRequestProfileList);
        case kRequestPluginList:
            return AppendEmptyList(out, kRequestPluginList);
        case kRequestSaveProfile:
        case kRequestLoadProfile:
        case kRequestDeleteProfile:
            return Drop(header, "profiles are kept by the application itself");
        case kResizeZone:
            return Drop(header, "zones have a fixed size");
        case kUpdateLeds:
        case kUpdateZoneLeds: {
            const auto update = header.id == kUpdateLeds ? DecodeUpdateLeds(payload)
                                                         : DecodeUpdateZoneLeds(payload);
            if (!update) return Drop(header, "wrong length");
            return Carry(
                registry_.SetColours(header.device, update->zone, update->colours, refusal),
                refusal, header);
        }
        case kUpdateSingleLed: {
            const auto single = DecodeUpdateSingleLed(payload);
            if (!single) return Drop(header, "wrong length");
            return Carry(
                registry_.SetOneColour(header.device, single->led, single->colour, refusal),
                refusal, header);
        }
        case kSetCustomMode:
            return Carry(registry_.SetDirectMode(header.device, refusal), refusal, header);
        case kUpdateMode:
        case kSaveMode: {
            const auto update = DecodeUpdateMode(payload, version_);
            if (!update) return Drop(header, "wrong length");
            return Carry(registry_.SetMode(header.device, *update, header.id == kSaveMode, refusal),
                         refusal, header);
        }
        default:
            return Drop(header, "unknown packet");
    }
}

}  // namespace vivori::sdk
