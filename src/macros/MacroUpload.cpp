#include "macros/MacroUpload.h"

#include <array>

namespace vivori::macros {

MacroUploadResult UploadMacros(CommandTransport& transport,
                               const std::vector<std::vector<MacroEvent>>& macros) {
    MacroUploadResult out;
    if (!transport.IsOpen()) {
        out.result = CMD_NO_REPLY;
        return out;
    }
    if (!transport.LinkCheck()) {
        out.linkDown = true;
        out.result = CMD_LINK_DOWN;
        return out;
    }
    out.result = transport.ConfigBegin();
    std::array<uint8_t, kInfoSize> info{};
    if (out.result == CMD_OK) out.result = transport.ReadInfo(info.data());
    if (out.result == CMD_OK) {
        const MacroImage image = BuildMacroImage(macros, size_t(info[kInfoMacroUnits]) * 128);
        if (!image.Fits()) {
            out.eventsTooMany = image.eventsTooMany;
        } else {
            out.bytes = image.bytes.size();
            out.result = transport.WriteMacroImage(image.bytes.data(), image.bytes.size());
        }
    }
    // Leave configuration mode whatever happened in it.
    const int end = transport.ConfigEnd();
    if (out.result == CMD_OK && out.eventsTooMany == 0) out.result = end;
    return out;
}

}  // namespace vivori::macros
