#include "platform/hid/HidBus.h"

#include <cctype>
#include <cstdio>
#include <mutex>

namespace vivori::hid {
namespace {

std::mutex& BusMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<HidBus>& BusSlot() {
    static std::shared_ptr<HidBus> bus;
    return bus;
}

}  // namespace

std::shared_ptr<HidBus> DefaultHidBus() {
    std::lock_guard lock(BusMutex());
    return BusSlot();
}

void SetDefaultHidBus(std::shared_ptr<HidBus> bus) {
    std::lock_guard lock(BusMutex());
    BusSlot() = std::move(bus);
}

std::string MakeHidPath(uint16_t vid, uint16_t pid, int interfaceNumber, int collection,
                        const std::string& node) {
    char head[64];
    if (collection > 0)
        std::snprintf(head, sizeof head, "hid#vid_%04x&pid_%04x&mi_%02x&col%02x#", vid, pid,
                      interfaceNumber & 0xFF, collection & 0xFF);
    else
        std::snprintf(head, sizeof head, "hid#vid_%04x&pid_%04x&mi_%02x#", vid, pid,
                      interfaceNumber & 0xFF);
    return head + node;
}

uint32_t ParsePathNumber(const std::string& path, const char* key) {
    std::string lower(path.size(), '\0');
    for (size_t i = 0; i < path.size(); ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(path[i])));
    size_t at = lower.find(key);
    if (at == std::string::npos) return 0;
    uint32_t value = 0;
    for (size_t i = at + std::char_traits<char>::length(key); i < lower.size(); ++i) {
        char c = lower[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) break;
        value = (value << 4) | uint32_t(digit);
        if (value > 0xFFFFFF) break;
    }
    return value;
}

std::string PathNode(const std::string& path) {
    size_t at = path.rfind('#');
    return at == std::string::npos ? std::string() : path.substr(at + 1);
}

}  // namespace vivori::hid
