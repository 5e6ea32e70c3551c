#pragma once

#include <functional>

#include "device/CommandTransport.h"

namespace vivori::devices {

// ConfigBegin, the body's commands, ConfigEnd. The result is the first failure, and
// once configuration has begun it is ended whatever the body met.
int RunInConfiguration(CommandTransport& transport, const std::function<int()>& body);

// Whether device work may go ahead: CMD_OK when the transport is open and, on the
// receiver, the wireless device answers; else CMD_NO_REPLY (closed) or CMD_LINK_DOWN.
int DeviceReachable(CommandTransport& transport);

}  // namespace vivori::devices
