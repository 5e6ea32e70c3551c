#include "devices/ConfigSequence.h"

namespace vivori::devices {

int RunInConfiguration(CommandTransport& transport, const std::function<int()>& body) {
    int result = transport.ConfigBegin();
    if (result != CMD_OK) return result;
    result = body();
    const int end = transport.ConfigEnd();
    return result == CMD_OK ? end : result;
}

int DeviceReachable(CommandTransport& transport) {
    if (!transport.IsOpen()) return CMD_NO_REPLY;
    return transport.LinkCheck() ? CMD_OK : CMD_LINK_DOWN;
}

}  // namespace vivori::devices
