#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vivori {

// Device kinds.
inline constexpr uint16_t kKindKeyboard = 1;
inline constexpr uint16_t kKindMouse = 2;
inline constexpr uint16_t kKindMousePad = 3;
inline constexpr uint16_t kKindMouseReceiver = 6;
inline constexpr uint16_t kKindHeadset = 7;
inline constexpr uint16_t kKindKeyboardReceiver = 9;

// Link values of a descriptor.
inline constexpr uint16_t kLinkCommand = 0;
inline constexpr uint16_t kLinkNotification = 255;

// One HID top-level collection the program knows, and one entry of the device list.
struct DeviceDescriptor {
    uint16_t vid = 0;
    uint16_t pid = 0;
    uint16_t interfaceNumber = 0;  // the "&mi_" value of the path
    uint16_t collection = 0;       // the "&col" value; 0 when the path has none
    uint16_t kind = 0;
    uint16_t link = kLinkCommand;
    uint16_t present = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partner = 0;  // row of the same device reached the other way
    std::string path;
};

// The supported-device table; a row's index is used everywhere as its name.
std::span<const DeviceDescriptor> SupportedDevices();

// Hexadecimal numbers after a case-insensitive "vid_", "pid_", "&mi_" or "&col" in
// a path; 0 when the key is missing.
uint16_t ParseVid(const std::string& path);
uint16_t ParsePid(const std::string& path);
uint16_t ParseInterface(const std::string& path);
uint16_t ParseCollection(const std::string& path);

// Equal in vid, pid, interface, collection, kind, link, usage page and usage.
bool SameDescriptor(const DeviceDescriptor& a, const DeviceDescriptor& b);

// The first table row equal to a collection in vid, pid, interface, collection,
// usage page and usage; -1 when none.
int FindSupportedRow(uint16_t vid, uint16_t pid, uint16_t interfaceNumber, uint16_t collection,
                     uint16_t usagePage, uint16_t usage);

// "keyboard", "keyboard receiver", "mouse", "mouse receiver", "mouse pad", "headset".
const char* KindName(uint16_t kind);

}  // namespace vivori
