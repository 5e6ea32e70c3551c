#include "device/SupportedDevices.h"

#include <array>

#include "platform/hid/HidBus.h"

namespace vivori {

namespace {

constexpr uint16_t kFamily = 0x320F;
constexpr uint16_t kVendorPage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x92;
constexpr uint16_t kConsumerPage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x01;

DeviceDescriptor Row(uint16_t vid, uint16_t pid, uint16_t interfaceNumber, uint16_t collection,
                     uint16_t kind, uint16_t link, uint16_t usagePage, uint16_t usage,
                     uint16_t hasPartner, uint16_t partner) {
    return {vid, pid,       interfaceNumber, collection, kind,    link,
            0,   usagePage, usage,           hasPartner, partner, {}};
}

const std::array<DeviceDescriptor, 11>& Table() {
    static const std::array<DeviceDescriptor, 11> table = {
        Row(kFamily, 0x5055, 1, 4, kKindKeyboard, kLinkCommand, kVendorPage, kVendorUsage, 1, 2),
        Row(kFamily, 0x5055, 1, 3, kKindKeyboard, kLinkNotification, kConsumerPage, kConsumerUsage,
            1, 3),
        Row(kFamily, 0x5088, 1, 4, kKindKeyboardReceiver, kLinkCommand, kVendorPage, kVendorUsage,
            1, 0),
        Row(kFamily, 0x5088, 1, 3, kKindKeyboardReceiver, kLinkNotification, kConsumerPage,
            kConsumerUsage, 1, 1),
        Row(kFamily, 0x2003, 1, 4, kKindMouse, kLinkCommand, kVendorPage, kVendorUsage, 1, 6),
        Row(kFamily, 0x2003, 1, 3, kKindMouse, kLinkNotification, kConsumerPage, kConsumerUsage, 1,
            7),
        Row(kFamily, 0x221D, 1, 4, kKindMouseReceiver, kLinkCommand, kVendorPage, kVendorUsage, 1,
            4),
        Row(kFamily, 0x221D, 1, 3, kKindMouseReceiver, kLinkNotification, kConsumerPage,
            kConsumerUsage, 1, 5),
        Row(kFamily, 0x1004, 1, 4, kKindMousePad, kLinkCommand, kVendorPage, kVendorUsage, 0, 0),
        Row(kFamily, 0x1004, 1, 3, kKindMousePad, kLinkNotification, kConsumerPage, kConsumerUsage,
            0, 0),
        Row(0x0C76, 0x1630, 3, 0, kKindHeadset, kLinkCommand, kConsumerPage, kConsumerUsage, 0, 0),
    };
    return table;
}

}  // namespace

std::span<const DeviceDescriptor> SupportedDevices() {
    return Table();
}

uint16_t ParseVid(const std::string& path) {
    return static_cast<uint16_t>(hid::ParsePathNumber(path, "vid_"));
}
uint16_t ParsePid(const std::string& path) {
    return static_cast<uint16_t>(hid::ParsePathNumber(path, "pid_"));
}
uint16_t ParseInterface(const std::string& path) {
    return static_cast<uint16_t>(hid::ParsePathNumber(path, "&mi_"));
}
uint16_t ParseCollection(const std::string& path) {
    return static_cast<uint16_t>(hid::ParsePathNumber(path, "&col"));
}

bool SameDescriptor(const DeviceDescriptor& a, const DeviceDescriptor& b) {
    return a.vid == b.vid && a.pid == b.pid && a.interfaceNumber == b.interfaceNumber &&
           a.collection == b.collection && a.kind == b.kind && a.link == b.link &&
           a.usagePage == b.usagePage && a.usage == b.usage;
}

int FindSupportedRow(uint16_t vid, uint16_t pid, uint16_t interfaceNumber, uint16_t collection,
                     uint16_t usagePage, uint16_t usage) {
    const auto& table = Table();
    for (size_t i = 0; i < table.size(); ++i) {
        const DeviceDescriptor& r = table[i];
        if (r.vid == vid && r.pid == pid && r.interfaceNumber == interfaceNumber &&
            r.collection == collection && r.usagePage == usagePage && r.usage == usage)
            return static_cast<int>(i);
    }
    return -1;
}

const char* KindName(uint16_t kind) {
    switch (kind) {
        case kKindKeyboard:
            return "keyboard";
        case kKindKeyboardReceiver:
            return "keyboard receiver";
        case kKindMouse:
            return "mouse";
        case kKindMouseReceiver:
            return "mouse receiver";
        case kKindMousePad:
            return "mouse pad";
        case kKindHeadset:
            return "headset";
        default:
            return "unknown";
    }
}

}  // namespace vivori
