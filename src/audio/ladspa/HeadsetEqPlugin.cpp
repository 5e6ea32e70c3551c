// The headset equaliser as a LADSPA plugin, for the sound server's LADSPA sink
// (module-ladspa-sink in PulseAudio and in PipeWire's pulse server). One mono
// instance per channel. The band gains come from the control ports when the sink is
// made, and from then on from the block the program shares (named by the key port),
// so a change on the page reaches the sound at the next block the server renders,
// without the sink being made again.
#include <fcntl.h>
#include <ladspa.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <new>

#include "audio/Equaliser.h"

namespace {

using namespace vivori::audio;

constexpr unsigned long kPortIn = 0;
constexpr unsigned long kPortOut = 1;
constexpr unsigned long kPortFirstBand = 2;
constexpr unsigned long kPortKey = kPortFirstBand + eq::kBands;
constexpr unsigned long kPortCount = kPortKey + 1;

struct Instance {
    explicit Instance(double rate) : filter(rate), rate(rate) {}
    ~Instance() { Unmap(); }

    void Unmap() {
        if (block != nullptr) munmap(const_cast<eq::ControlBlock*>(block), sizeof(eq::ControlBlock));
        block = nullptr;
        mappedKey = 0;
        lastSequence = 0;
    }

    // Maps the program's block for key; tried again about once a second while it
    // is missing, so the audio thread makes no system call on most blocks.
    void Map(uint32_t key, unsigned long frames) {
        if (key == mappedKey && block != nullptr) return;
        if (key != wantedKey) {
            Unmap();
            wantedKey = key;
            framesToRetry = 0;
        }
        if (key == 0) return;
        if (framesToRetry > frames) {
            framesToRetry -= frames;
            return;
        }
        framesToRetry = static_cast<unsigned long>(rate);
        const int fd = shm_open(eq::ControlBlockName(key).c_str(), O_RDONLY | O_CLOEXEC, 0);
        if (fd < 0) return;
        struct stat st {};
        void* mapped = MAP_FAILED;
        if (fstat(fd, &st) == 0 && size_t(st.st_size) >= sizeof(eq::ControlBlock))
            mapped = mmap(nullptr, sizeof(eq::ControlBlock), PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        if (mapped == MAP_FAILED) return;
        block = static_cast<const eq::ControlBlock*>(mapped);
        mappedKey = key;
        lastSequence = 0;
    }

    eq::Filter filter;
    double rate;
    std::array<LADSPA_Data*, kPortCount> ports{};
    const eq::ControlBlock* block = nullptr;
    uint32_t mappedKey = 0;
    uint32_t wantedKey = 0;
    uint32_t lastSequence = 0;
    unsigned long framesToRetry = 0;
};

LADSPA_Handle Instantiate(const LADSPA_Descriptor*, unsigned long rate) {
    return new (std::nothrow) Instance(double(rate));
}

void ConnectPort(LADSPA_Handle handle, unsigned long port, LADSPA_Data* data) {
    if (port < kPortCount) static_cast<Instance*>(handle)->ports[port] = data;
}

float PortValue(const Instance& in, unsigned long port) {
    const LADSPA_Data* p = in.ports[port];
    return p != nullptr && std::isfinite(*p) ? *p : 0.0f;
}

void Run(LADSPA_Handle handle, unsigned long frames) {
    Instance& in = *static_cast<Instance*>(handle);
    const float keyValue = PortValue(in, kPortKey);
    const uint32_t key = keyValue >= 1 && keyValue < 16777216.0f ? uint32_t(std::lround(keyValue)) : 0;
    in.Map(key, frames);
    std::array<double, eq::kBands> bands{};
    if (in.block != nullptr) {
        if (eq::ReadBands(*in.block, in.lastSequence, bands)) in.filter.SetBands(bands);
    } else {
        for (int b = 0; b < eq::kBands; ++b) bands[size_t(b)] = PortValue(in, kPortFirstBand + unsigned(b));
        in.filter.SetBands(bands);
    }
    if (in.ports[kPortIn] == nullptr || in.ports[kPortOut] == nullptr) return;
    in.filter.Process(in.ports[kPortIn], in.ports[kPortOut], frames);
}

void Cleanup(LADSPA_Handle handle) {
    delete static_cast<Instance*>(handle);
}

struct Descriptor {
    Descriptor() {
        static const char* const kBandNames[eq::kBands] = {
            "31 Hz (dB)", "62 Hz (dB)", "125 Hz (dB)", "250 Hz (dB)", "500 Hz (dB)",
            "1 kHz (dB)", "2 kHz (dB)", "4 kHz (dB)",  "8 kHz (dB)",  "16 kHz (dB)"};
        names[kPortIn] = "Input";
        names[kPortOut] = "Output";
        kinds[kPortIn] = LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO;
        kinds[kPortOut] = LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO;
        for (int b = 0; b < eq::kBands; ++b) {
            const unsigned long p = kPortFirstBand + unsigned(b);
            names[p] = kBandNames[b];
            kinds[p] = LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL;
            hints[p] = {LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE | LADSPA_HINT_DEFAULT_0,
                        -float(eq::kMaxBandDb), float(eq::kMaxBandDb)};
        }
        names[kPortKey] = "Control key";
        kinds[kPortKey] = LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL;
        // Bounded both ways: a host that clamps to an unstated bound must not clamp it.
        hints[kPortKey] = {LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE | LADSPA_HINT_INTEGER |
                               LADSPA_HINT_DEFAULT_MINIMUM,
                           0, 16777216.0f};
        d.UniqueID = 4911;
        d.Label = "vivori_headset_eq";
        d.Properties = LADSPA_PROPERTY_HARD_RT_CAPABLE;
        d.Name = "VIVORI headset equaliser";
        d.Maker = "VIVORI Trivex developers";
        d.Copyright = "VIVORI Trivex developers";
        d.PortCount = kPortCount;
        d.PortDescriptors = kinds.data();
        d.PortNames = names.data();
        d.PortRangeHints = hints.data();
        d.instantiate = Instantiate;
        d.connect_port = ConnectPort;
        d.run = Run;
        d.cleanup = Cleanup;
    }
    std::array<const char*, kPortCount> names{};
    std::array<LADSPA_PortDescriptor, kPortCount> kinds{};
    std::array<LADSPA_PortRangeHint, kPortCount> hints{};
    LADSPA_Descriptor d{};
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LADSPA_Descriptor* ladspa_descriptor(unsigned long index) {
    static const Descriptor descriptor;
    return index == 0 ? &descriptor.d : nullptr;
}
