#include "KeysAndMacros.h"

#include <cstdio>

#include "Ctl.h"
#include "DeviceAccess.h"

namespace vivori::ctl {

bool ReportUnknownMacroList(const std::string& problem) {
    if (problem.empty()) return false;
    Fail(problem + "; nothing was written to the device");
    return true;
}

KeysWritten WriteKeysAndMacros(devices::CQuorvaneUSBDevice& device, const std::string& deviceName,
                               devices::KeysAndMacrosResult* result) {
    const devices::KeysAndMacrosResult written = device.WriteKeysAndMacros();
    if (result != nullptr) *result = written;
    const macros::MacroUploadResult& image = written.macros;
    if (ReportUnknownMacroList(written.macroListProblem)) return KeysWritten::Nothing;
    if (image.linkDown) {
        CommandFailed("LinkCheck", CMD_LINK_DOWN);
        return KeysWritten::Nothing;
    }
    if (!image.unreadable.empty()) {
        Fail("macro file " + image.unreadable + " could not be read; nothing was written to the " +
             deviceName);
        return KeysWritten::Nothing;
    }
    if (image.eventsTooMany > 0) {
        Fail("the macros do not fit the " + deviceName + ": " +
             std::to_string(image.eventsTooMany) +
             " events too many; neither the macros nor the key table were written");
        return KeysWritten::Nothing;
    }
    if (image.result != CMD_OK) {
        CommandFailed("macros", image.result);
        return KeysWritten::Nothing;
    }
    std::printf("macros:           %zu written (%zu bytes)\n", written.usedMacros.size(),
                image.bytes);
    if (written.keyTable != CMD_OK) {
        CommandFailed("key table", written.keyTable);
        return KeysWritten::Nothing;
    }
    if (written.unplacedKeys.empty()) {
        std::printf("key table:        written\n");
        return KeysWritten::All;
    }
    std::printf("key table:        written, except %zu key(s)\n", written.unplacedKeys.size());
    for (int key : written.unplacedKeys)
        Fail("key " + std::to_string(key) + " has an assignment but no slot on this " + deviceName +
             ": not written");
    return KeysWritten::Partly;
}

}  // namespace vivori::ctl
