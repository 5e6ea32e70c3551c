#pragma once

// The macros a device's keys play and its key table, written the one way every
// command writes them: from one plan, in one run, the table only once its macros are
// on the device.

#include <string>

#include "devices/CQuorvaneUSBDevice.h"

namespace vivori::ctl {

enum class KeysWritten {
    All,      // the macros and the whole key table
    Partly,   // written, but keys with no slot on the device were left out (named on stderr)
    Nothing,  // refused or failed: what the device holds is unchanged (said on stderr)
};

// Prints what was written ("macros:", "key table:") on stdout and what was not on
// stderr. `deviceName`: "keyboard" or "mouse", for the messages; `result`, when given,
// receives the details.
KeysWritten WriteKeysAndMacros(devices::CQuorvaneUSBDevice& device, const std::string& deviceName,
                               devices::KeysAndMacrosResult* result = nullptr);

// The stderr line for an unknown macro list; false when the list could be read.
bool ReportUnknownMacroList(const std::string& problem);

}  // namespace vivori::ctl
