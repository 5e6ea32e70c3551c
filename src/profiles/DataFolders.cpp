#include "profiles/DataFolders.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/InstallFolders.h"
#include "platform/PrivateFolder.h"

namespace vivori::profiles {
namespace {

std::filesystem::path Created(std::filesystem::path folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::filesystem::path FromEnv(const char* name, const char* homeRelative) {
    const char* value = std::getenv(name);
    if (value && *value == '/') return value;  // XDG: relative values are ignored
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / homeRelative;
}

std::string Name(std::string_view folder) {
    return std::string(folder);
}

}  // namespace

std::string_view DeviceFolderName(int deviceKind) {
    switch (deviceKind) {
        case 1:
        case 9:
            return kKeyboardFolder;
        case 2:
        case 6:
            return kMouseFolder;
        case 3:
            return kMousePadFolder;
        case 7:
            return kHeadsetFolder;
        default:
            return {};
    }
}

DataFolders DataFolders::FromEnvironment() {
    FolderRoots roots;
    roots.dataHome = FromEnv("XDG_DATA_HOME", ".local/share");
    roots.configHome = FromEnv("XDG_CONFIG_HOME", ".config");
    roots.installFolder = ShippedDataFolder();
    roots.cacheHome = FromEnv("XDG_CACHE_HOME", ".cache");
    return DataFolders(std::move(roots));
}

std::filesystem::path DataFolders::AutostartFile() const {
    return roots_.configHome / "autostart" / "vivori-trivex.desktop";
}

std::filesystem::path DataFolders::DefaultDataFolder() const {
    return roots_.installFolder / "DefaultData";
}

std::filesystem::path DataFolders::UserDataFolder() const {
    return Created(roots_.dataHome / Name(kApplicationName));
}

std::filesystem::path DataFolders::DataFolder(std::string_view deviceFolder) const {
    return Created(UserDataFolder() / Name(deviceFolder));
}

std::filesystem::path DataFolders::UpdateFolder() const {
    std::error_code ignored;
    std::filesystem::create_directories(roots_.cacheHome, ignored);
    const auto application = PrivateFolder((roots_.cacheHome / Name(kApplicationName)).string());
    if (!application) return {};
    const auto folder = PrivateFolder(*application + "/UpdateData");
    return folder ? std::filesystem::path(*folder) : std::filesystem::path();
}

std::filesystem::path DataFolders::SettingsFolder() const {
    return Created(roots_.configHome / Name(kApplicationName));
}

std::filesystem::path DataFolders::DefaultDataFile(std::string_view deviceFolder) const {
    return DefaultDataFolder() / (Name(deviceFolder) + ".Json");
}

std::filesystem::path DataFolders::LightConfigFile(std::string_view deviceFolder) const {
    return DataFolder(deviceFolder) / "zunik_light.config";
}

std::filesystem::path DataFolders::DefaultLightFile() const {
    return DefaultDataFolder() / "default_light.json";
}

std::vector<std::filesystem::path> DataFolders::LightStepFolders() const {
    return {roots_.installFolder, std::filesystem::path(".")};
}

}  // namespace vivori::profiles
