#include "DeviceAccess.h"

#include "device/SupportedDevices.h"

namespace vivori::ctl {

namespace {

uint16_t KindOf(const Options& options) {
    const bool receiver = options.link == "receiver";
    if (options.device == "keyboard") return receiver ? kKindKeyboardReceiver : kKindKeyboard;
    if (options.device == "mouse") return receiver ? kKindMouseReceiver : kKindMouse;
    if (receiver) return 0;  // pads and headsets have no receiver
    return options.device == "pad" ? kKindMousePad : kKindHeadset;
}

bool HasName(const std::string& list, const std::string& name) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (item == name) return true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

// The path of the present collection that matches table row `row`.
std::string FindPath(const std::shared_ptr<hid::HidBus>& bus, const DeviceDescriptor& row) {
    HidConnection probe(bus);
    std::string found;
    if (!probe.EnumeratePaths()) return found;
    while (const std::string* path = probe.NextPath()) {
        if (ParseVid(*path) != row.vid || ParsePid(*path) != row.pid ||
            ParseInterface(*path) != row.interfaceNumber ||
            ParseCollection(*path) != row.collection)
            continue;
        if (!probe.OpenPath(*path, true, false, true, false)) continue;
        const hid::HidCaps caps = probe.Caps();
        const hid::HidAttributes attributes = probe.Attributes();
        probe.Close();
        if (FindSupportedRow(attributes.vendorId, attributes.productId, row.interfaceNumber,
                             row.collection, caps.usagePage, caps.usage) >= 0) {
            found = *path;
            break;
        }
    }
    probe.ClearPaths();
    return found;
}

}  // namespace

std::shared_ptr<hid::HidBus> SelectDeviceBus(const Options& options, std::string* error) {
    Options effective = options;
    if (!options.simulate.empty() && options.link == "receiver") {
        const std::string receiver = options.device + "-receiver";
        if (HasName(options.simulate, options.device) && !HasName(options.simulate, receiver))
            effective.simulate += "," + receiver;
    }
    return SelectBus(effective, error);
}

bool OpenCommandTransport(const Options& options, const std::shared_ptr<hid::HidBus>& bus,
                          CommandTransport& transport, std::string* error) {
    const uint16_t kind = KindOf(options);
    if (kind == 0) {
        *error = "the " + options.device + " has no receiver link";
        return false;
    }
    const DeviceDescriptor* row = nullptr;
    for (const auto& r : SupportedDevices())
        if (r.kind == kind && r.link == kLinkCommand) row = &r;
    const std::string path = FindPath(bus, *row);
    if (path.empty()) {
        *error = std::string("no ") + KindName(kind) + " present";
        return false;
    }
    const bool receiver = kind == kKindKeyboardReceiver || kind == kKindMouseReceiver;
    {
        CriticalSectionLock lock(transport.IoLock());
        HidConnection& connection = receiver ? transport.Receiver() : transport.Wired();
        if (!connection.OpenPath(path, true, true, true, false)) {
            *error = "cannot open " + path;
            return false;
        }
        transport.SetOpen(true);
        // Pads and headsets keep the transport's initial link, as discovery does.
        if (kind != kKindMousePad && kind != kKindHeadset)
            transport.SetLinkType(receiver ? kLinkReceiver : kLinkWired);
    }
    if (!transport.LinkCheck()) {
        *error = "the wireless device is away: link check failed (" +
                 std::string(CommandResultName(CMD_LINK_DOWN)) + ")";
        return false;
    }
    return true;
}

DeviceSession OpenDevice(const Options& options, std::string* error) {
    DeviceSession session;
    session.kind = KindOf(options);
    if (session.kind == 0) {
        *error = "the " + options.device + " has no receiver link";
        return session;
    }
    session.bus = SelectDeviceBus(options, error);
    if (!session.bus) return session;
    auto transport = std::make_unique<CommandTransport>(session.bus);
    if (OpenCommandTransport(options, session.bus, *transport, error))
        session.transport = std::move(transport);
    return session;
}

int OpenAndReadInfo(const Options& options, DeviceSession& session, uint8_t* info) {
    std::string error;
    session = OpenDevice(options, &error);
    if (!session.transport) return Fail(error);
    session.configuration = std::make_unique<Configuration>(*session.transport);
    if (int r = session.configuration->Begun(); r != CMD_OK) return CommandFailed("ConfigBegin", r);
    if (int r = session.transport->ReadInfo(info); r != CMD_OK) return CommandFailed("ReadInfo", r);
    return 0;
}

int CommandFailed(const std::string& what, int result) {
    return Fail(what + " failed: " + CommandResultName(result) + " (" + std::to_string(result) +
                ")");
}

}  // namespace vivori::ctl
