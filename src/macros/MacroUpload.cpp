#include "macros/MacroUpload.h"

#include <array>

namespace vivori::macros {
namespace {

using ImageOfInfo = std::function<MacroImage(const std::array<uint8_t, kInfoSize>& info)>;
using Writer = int (CommandTransport::*)(const uint8_t* image, size_t length);

// On the receiver the link check first (nothing is written when it fails), then
// configuration begin, the information block, the image, configuration end.
MacroUploadResult UploadImage(CommandTransport& transport, const ImageOfInfo& build, Writer write) {
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
        const MacroImage image = build(info);
        if (!image.Fits()) {
            out.eventsTooMany = image.eventsTooMany;
        } else {
            out.bytes = image.bytes.size();
            out.result = (transport.*write)(image.bytes.data(), image.bytes.size());
        }
    }
    // Leave configuration mode whatever happened in it.
    const int end = transport.ConfigEnd();
    if (out.result == CMD_OK && out.eventsTooMany == 0) out.result = end;
    return out;
}

}  // namespace

MacroUploadResult UploadMacros(CommandTransport& transport,
                               const std::vector<std::vector<MacroEvent>>& macros) {
    return UploadImage(
        transport,
        [&](const auto& info) {
            return BuildMacroImage(macros, size_t(info[kInfoMacroUnits]) * 128);
        },
        &CommandTransport::WriteMacroImage);
}

MacroUploadResult UploadRecoil(
    CommandTransport& transport,
    const std::array<std::vector<MacroEvent>, kShootPatterns>& patterns) {
    return UploadImage(
        transport, [&](const auto&) { return BuildShootImage(patterns); },
        &CommandTransport::WriteShoot);
}

}  // namespace vivori::macros
