#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "sdk/SdkProtocol.h"

namespace vivori::sdk {

// What a client changed on a controller, as the application carries it out.
struct ControllerChange {
    uint64_t key = 0;
    int32_t modeIndex = 0;
    Mode mode;                    // the active mode with the values clients gave it
    std::vector<Colour> colours;  // every LED
    bool modeChanged = false;     // else only the colours changed
    bool save = false;            // keep the mode on the device
};

// What the application does with the clients' changes. Called on the server's thread
// (never under the registry's lock); must not wait for the window.
class SdkActions {
  public:
    virtual ~SdkActions() = default;
    virtual void ControllerChanged(const ControllerChange& change) = 0;
    // The number of connected clients changed.
    virtual void ClientsChanged(int count) = 0;
};

// The controllers the clients see, shared by every client's session. Thread-safe.
class SdkRegistry {
  public:
    // Replaces the list (a device came or went). Kept per key: a controller that stays
    // keeps what clients set on it.
    void SetControllers(std::vector<Controller> controllers);
    std::vector<Controller> Controllers() const;
    size_t Count() const;
    // The data block of controller `index`; nullopt when there is none.
    std::optional<std::vector<uint8_t>> Encode(size_t index, uint32_t version) const;

    enum class Refusal { None, NoController, WrongLength, NoSuchMode, NoSuchLed };
    // Each returns the change to carry out, or nothing and why in `refusal`.
    std::optional<ControllerChange> SetColours(size_t index, std::optional<uint32_t> zone,
                                               const std::vector<Colour>& colours,
                                               Refusal& refusal);
    std::optional<ControllerChange> SetOneColour(size_t index, int32_t led, Colour colour,
                                                 Refusal& refusal);
    // The first mode that takes colours per LED.
    std::optional<ControllerChange> SetDirectMode(size_t index, Refusal& refusal);
    std::optional<ControllerChange> SetMode(size_t index, const ModeUpdate& update, bool save,
                                            Refusal& refusal);

  private:
    ControllerChange ChangeOf(const Controller& c, bool modeChanged) const;

    mutable std::mutex mutex_;
    std::vector<Controller> controllers_;
};

}  // namespace vivori::sdk
