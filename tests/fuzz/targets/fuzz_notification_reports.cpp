// Any bytes as an input report on the notification collection of each device kind
// (the keyboard's usage array and the mouse's value field), unpacked as a connection
// does and read for its notification code, as the reader threads do.

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
    }
    return 0;
}
