#include "platform/InstallFolders.h"

#include <system_error>

namespace vivori {

std::filesystem::path ExecutablePath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("vivori-trivex") : self;
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path(".") : self.parent_path();
}

std::filesystem::path ShippedDataFolder(const std::filesystem::path& programFolder) {
    std::error_code error;
    auto holdsData = [&error](const std::filesystem::path& folder) {
        return std::filesystem::is_directory(folder / "skin", error) ||
               std::filesystem::is_directory(folder / "DefaultData", error);
    };
    if (holdsData(programFolder)) return programFolder;
    const auto shared = programFolder.parent_path() / "share" / "vivori-trivex";
    if (holdsData(shared)) return shared;
    return programFolder;
}

std::filesystem::path ShippedDataFolder() {
    return ShippedDataFolder(ExecutableFolder());
}

}  // namespace vivori
