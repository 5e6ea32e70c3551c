// vivori-ctl power: the power record of every attached device, one line each.

#include <array>
#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "device/SupportedDevices.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {
namespace {

struct Way {
    const char* device;
    const char* link;
};
constexpr Way kWays[] = {{"keyboard", "cable"}, {"keyboard", "receiver"}, {"mouse", "cable"},
                         {"mouse", "receiver"}, {"pad", "cable"},         {"headset", "cable"}};

// One way's record: "read" is ok, away (a receiver whose device is away) or failed.
Json::Value ReadWay(const Options& given, const Way& way, const std::shared_ptr<hid::HidBus>& bus,
                    bool* present) {
    Options options = given;
    options.device = way.device;
    options.link = way.link;
    CommandTransport transport(bus);
    std::string error;
    const bool reached = OpenCommandTransport(options, bus, transport, &error);
    // Open but not answering the link check: the receiver is there, its device away.
    *present = reached || transport.IsOpen();
    Json::Value record(Json::objectValue);
    record["device"] = way.device;
    record["link"] = way.link;
    record["battery"] = Json::Value();
    record["charging"] = Json::Value();
    record["online"] = false;
    if (!reached) {
        record["read"] = "away";
        return record;
    }
    std::array<uint8_t, 6> status{};
    const int result = transport.ReadStatus(status.data(), status.size(), 0);
    record["result"] = CommandResultName(result);
    if (result != CMD_OK) {
        record["read"] = "failed";
        return record;
    }
    record["read"] = "ok";
    record["online"] = true;
    record["battery"] = status[0];
    record["charging"] = status[1] == 1;
    return record;
}

int RunPower(const Options& given) {
    if (!given.args.empty()) return Fail("usage: power"), kExitUsage;
    std::string error;
    // One bus for every look: a simulated receiver is there only when it was named.
    Options cable = given;
    cable.link = "cable";
    const auto bus = SelectDeviceBus(cable, &error);
    Json::Value records(Json::arrayValue);
    int failed = 0;
    for (const Way& way : kWays) {
        bool present = false;
        if (!bus) break;
        Json::Value record = ReadWay(given, way, bus, &present);
        if (!present) continue;
        if (record["read"] == "failed") {
            ++failed;
            Fail(std::string("power read of the ") + way.device + " (" + way.link +
                 ") failed: " + record["result"].asString());
        }
        records.append(record);
    }
    if (given.json) {
        Json::Value document(Json::objectValue);
        document["devices"] = records;
        PrintJson(document);
    } else {
        for (const Json::Value& r : records) {
            const bool read = r["read"] == "ok";
            std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", r["device"].asCString(), r["link"].asCString(),
                        read ? std::to_string(r["battery"].asUInt()).c_str() : "-",
                        read ? (r["charging"].asBool() ? "yes" : "no") : "-",
                        r["online"].asBool() ? "yes" : "no", r["read"].asCString());
        }
        if (records.empty()) std::fprintf(stderr, "no supported device found\n");
    }
    return failed > 0 ? kExitFailure : 0;
}

const Registrar registrar(
    {.name = "power",
     .usage = "power",
     .summary = "battery, charging and link of every attached device",
     .run = &RunPower,
     .help = "  One line per attached device and way, fields separated by tabs: device,\n"
             "  link, battery percent, charging (yes/no), online (yes/no), read (ok; away: a\n"
             "  receiver whose device is away; failed: the device did not answer, with a\n"
             "  line on stderr and exit status 1). Battery and charging are \"-\" unless ok.\n"
             "example:\n"
             "  vivori-ctl --simulate keyboard,mouse --link receiver power\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
