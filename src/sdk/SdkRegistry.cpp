#include "sdk/SdkRegistry.h"

#include <algorithm>

namespace vivori::sdk {

void SdkRegistry::SetControllers(std::vector<Controller> controllers) {
    std::lock_guard lock(mutex_);
    for (Controller& fresh : controllers) {
        auto old = std::find_if(controllers_.begin(), controllers_.end(),
                                [&](const Controller& c) { return c.key == fresh.key; });
        if (old == controllers_.end() || old->leds.size() != fresh.leds.size() ||
            old->modes.size() != fresh.modes.size())
            continue;
        fresh.activeMode = old->activeMode;
        fresh.modes = std::move(old->modes);
        fresh.colours = std::move(old->colours);
    }
    controllers_ = std::move(controllers);
}

std::vector<Controller> SdkRegistry::Controllers() const {
    std::lock_guard lock(mutex_);
    return controllers_;
}

size_t SdkRegistry::Count() const {
    std::lock_guard lock(mutex_);
    return controllers_.size();
}

std::optional<std::vector<uint8_t>> SdkRegistry::Encode(size_t index, uint32_t version) const {
    std::lock_guard lock(mutex_);
    if (index >= controllers_.size()) return std::nullopt;
    return EncodeController(controllers_[index], version);
}

ControllerChange SdkRegistry::ChangeOf(const Controller& c, bool modeChanged) const {
    ControllerChange change;
    change.key = c.key;
    change.modeIndex = c.activeMode;
    if (c.activeMode >= 0 && size_t(c.activeMode) < c.modes.size())
        change.mode = c.modes[size_t(c.activeMode)];
    change.colours = c.colours;
    change.modeChanged = modeChanged;
    return change;
}

std::optional<ControllerChange> SdkRegistry::SetColours(size_t index, std::optional<uint32_t> zone,
                                                        const std::vector<Colour>& colours,
                                                        Refusal& refusal) {
    std::lock_guard lock(mutex_);
    if (index >= controllers_.size()) {
        refusal = Refusal::NoController;
        return std::nullopt;
    }
    Controller& c = controllers_[index];
    size_t first = 0;
    size_t count = c.leds.size();
    if (zone) {
        if (*zone >= c.zones.size()) {
            refusal = Refusal::NoSuchLed;
            return std::nullopt;
        }
        for (uint32_t z = 0; z < *zone; ++z) first += c.zones[z].ledCount;
        count = c.zones[*zone].ledCount;
    }
    if (colours.size() != count || first + count > c.colours.size()) {
        refusal = Refusal::WrongLength;
        return std::nullopt;
    }
    std::copy(colours.begin(), colours.end(), c.colours.begin() + std::ptrdiff_t(first));
    return ChangeOf(c, false);
}

std::optional<ControllerChange> SdkRegistry::SetOneColour(size_t index, int32_t led, Colour colour,
                                                          Refusal& refusal) {
    std::lock_guard lock(mutex_);
    if (index >= controllers_.size()) {
        refusal = Refusal::NoController;
        return std::nullopt;
    }
    Controller& c = controllers_[index];
    if (led < 0 || size_t(led) >= c.colours.size()) {
        refusal = Refusal::NoSuchLed;
        return std::nullopt;
    }
    c.colours[size_t(led)] = colour;
    return ChangeOf(c, false);
}

std::optional<ControllerChange> SdkRegistry::SetDirectMode(size_t index, Refusal& refusal) {
    std::lock_guard lock(mutex_);
    if (index >= controllers_.size()) {
        refusal = Refusal::NoController;
        return std::nullopt;
    }
    Controller& c = controllers_[index];
    auto direct = std::find_if(c.modes.begin(), c.modes.end(),
                               [](const Mode& m) { return (m.flags & kHasPerLedColour) != 0; });
    if (direct == c.modes.end()) {
        refusal = Refusal::NoSuchMode;
        return std::nullopt;
    }
    c.activeMode = static_cast<int32_t>(direct - c.modes.begin());
    return ChangeOf(c, true);
}

std::optional<ControllerChange> SdkRegistry::SetMode(size_t index, const ModeUpdate& update,
                                                     bool save, Refusal& refusal) {
    std::lock_guard lock(mutex_);
    if (index >= controllers_.size()) {
        refusal = Refusal::NoController;
        return std::nullopt;
    }
    Controller& c = controllers_[index];
    if (update.index < 0 || size_t(update.index) >= c.modes.size()) {
        refusal = Refusal::NoSuchMode;
        return std::nullopt;
    }
    // Only the values a client may set are taken, each kept to the mode's range.
    Mode& m = c.modes[size_t(update.index)];
    const Mode& given = update.mode;
    auto within = [](uint32_t v, uint32_t a, uint32_t b) {
        return std::clamp(v, std::min(a, b), std::max(a, b));
    };
    if (m.flags & kHasSpeed) m.speed = within(given.speed, m.speedMin, m.speedMax);
    if (m.flags & kHasBrightness)
        m.brightness = within(given.brightness, m.brightnessMin, m.brightnessMax);
    if (m.flags & (kHasDirectionLR | kHasDirectionUD)) {
        const bool lr = (m.flags & kHasDirectionLR) != 0 && given.direction <= kRight;
        const bool ud = (m.flags & kHasDirectionUD) != 0 &&
                        (given.direction == kUp || given.direction == kDown);
        if (lr || ud) m.direction = given.direction;
    }
    const bool modeColours =
        given.colourMode == kColourModeSpecific && (m.flags & kHasModeSpecificColour) != 0;
    const bool randomColours =
        given.colourMode == kColourRandom && (m.flags & kHasRandomColour) != 0;
    if (modeColours || randomColours) m.colourMode = given.colourMode;
    if (modeColours && given.colours.size() >= m.coloursMin &&
        given.colours.size() <= m.coloursMax && !given.colours.empty())
        m.colours = given.colours;
    c.activeMode = update.index;
    ControllerChange change = ChangeOf(c, true);
    change.save = save && (m.flags & kManualSave) != 0;
    return change;
}

}  // namespace vivori::sdk
