// Any bytes as an input report on the notification collection of each device kind,
// unpacked as a connection does and read for its notification code as each device's
// reader thread does: the keyboard, pad and their receivers (a usage array, read as a
// button code, key presses as key slot events), the mouse and its receiver (a value
// field, read as a value code), and the headset (its own collection, button code).

#include <mutex>

#include "device/HidConnection.h"
#include "devices/NotificationChannel.h"
#include "lighting/LightEngine.h"
#include "platform/hid/ReportDescriptor.h"
#include "sim/FamilyDescriptors.h"

using namespace vivori;

namespace {

std::vector<hid::HidCollection> NotificationCollections() {
    std::vector<hid::HidCollection> out;
    for (auto field : {sim::NotificationField::Array, sim::NotificationField::Value}) {
        const auto bytes = sim::FamilyInterfaceDescriptor(field);
        if (auto parsed = hid::ParseReportDescriptor(bytes))
            for (const auto& c : parsed->collections) out.push_back(c);
    }
    if (auto parsed = hid::ParseReportDescriptor(sim::HeadsetInterfaceDescriptor()))
        for (const auto& c : parsed->collections) out.push_back(c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<hid::HidCollection> collections = NotificationCollections();
    for (const auto& collection : collections) {
        std::vector<HidDataItem> items;
        if (!HidConnection::ParseInputReport({data, size}, hid::ReportType::Input, items,
                                             collection))
            continue;
        if (auto code = devices::NotificationButtonCode(items))
            lighting::KeySlotEventOfNotification(*code);
        devices::NotificationValueCode(items);
    }
    return 0;
}
