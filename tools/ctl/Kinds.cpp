#include "Ctl.h"
#include "profiles/DataFolders.h"

namespace vivori::ctl {

std::string_view DeviceFolderOfKind(const std::string& kind) {
    if (kind == "keyboard") return profiles::DeviceFolderName(1);
    if (kind == "mouse") return profiles::DeviceFolderName(2);
    if (kind == "pad") return profiles::DeviceFolderName(3);
    if (kind == "headset") return profiles::DeviceFolderName(7);
    return {};
}

}  // namespace vivori::ctl
