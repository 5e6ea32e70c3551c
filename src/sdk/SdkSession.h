#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sdk/SdkRegistry.h"

namespace vivori::sdk {

// One client's side of the conversation, without the socket: bytes in as they come,
// replies out. A packet that cannot be framed (wrong magic, a payload over 1 MiB)
// ends the client; a packet with a wrong length or a device or LED that does not
// exist is dropped. Each with a debug line.
class SdkSession {
  public:
    SdkSession(SdkRegistry& registry, SdkActions* actions, std::string peer);

    // False when the client must be disconnected.
    bool Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out);
    // Part of a packet is waiting for the rest.
    bool HasPartialPacket() const { return !buffer_.empty(); }
    uint32_t Version() const { return version_; }
    const std::string& ClientName() const { return name_; }
    const std::string& Peer() const { return peer_; }

  private:
    void Dispatch(const Header& header, std::span<const uint8_t> payload,
                  std::vector<uint8_t>& out);
    // The refusal is read after the registry call that fills it.
    void Carry(const std::optional<ControllerChange>& change, const SdkRegistry::Refusal& refusal,
               const Header& header);
    void Drop(const Header& header, const char* why);

    SdkRegistry& registry_;
    SdkActions* actions_;
    std::string peer_;
    std::string name_;
    uint32_t version_ = 0;  // clients that never ask speak the first version
    std::vector<uint8_t> buffer_;
};

}  // namespace vivori::sdk
