#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "device/CommandTransport.h"
#include "device/MacroImage.h"

namespace vivori::macros {

struct MacroUploadResult {
    int result = CMD_OK;    // the first failing command's code
    int eventsTooMany = 0;  // > 0: the image did not fit and nothing was sent
    bool linkDown = false;  // receiver: the wireless device did not answer the link check
    size_t bytes = 0;       // image length sent
    // A macro to send whose file is present but cannot be read: nothing was sent,
    // rather than an empty macro in its place.
    std::string unreadable;
};

// Writes every macro, in list order, as one memory image: on the receiver the link
// check first (nothing is written when it fails), then configuration begin, the
// information block for the memory size, the image, configuration end.
MacroUploadResult UploadMacros(CommandTransport& transport,
                               const std::vector<std::vector<MacroEvent>>& macros);

// Writes the four recoil patterns as the recoil image, in the same steps. The image
// has no memory size to fit, only the format's 16-bit limit: past it, nothing is
// written and eventsTooMany says by how much.
MacroUploadResult UploadRecoil(CommandTransport& transport,
                               const std::array<std::vector<MacroEvent>, kShootPatterns>& patterns);

}  // namespace vivori::macros
