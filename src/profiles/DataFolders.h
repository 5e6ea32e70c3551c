#pragma once

// Where stored files live. The roots are injected so tests and tools can point
// them at any folder; FromEnvironment() gives the ones of a normal run.

#include <filesystem>
#include <string_view>
#include <vector>

namespace vivori::profiles {

inline constexpr std::string_view kApplicationName = "VELTRA VIVORI Trivex V2";

// Device folder names, one per device page kind.
inline constexpr std::string_view kMouseFolder = "mouse";
inline constexpr std::string_view kKeyboardFolder = "keyboard";
inline constexpr std::string_view kMousePadFolder = "MousePad";
inline constexpr std::string_view kHeadsetFolder = "HD";

// The folder name of a device kind (1 keyboard, 2 mouse, 3 mouse pad, 7 headset;
// the receiver kinds 9 and 6 share their device's folder); empty for others.
std::string_view DeviceFolderName(int deviceKind);

struct FolderRoots {
    std::filesystem::path dataHome;       // local application data ($XDG_DATA_HOME)
    std::filesystem::path configHome;     // $XDG_CONFIG_HOME
    std::filesystem::path installFolder;  // where the shipped data is (ShippedDataFolder)
    std::filesystem::path cacheHome;      // $XDG_CACHE_HOME
};

class DataFolders {
  public:
    explicit DataFolders(FolderRoots roots) : roots_(std::move(roots)) {}
    // $XDG_DATA_HOME (default ~/.local/share), $XDG_CONFIG_HOME (default ~/.config),
    // the shipped data beside the executable or under ../share/vivori-trivex, and
    // $XDG_CACHE_HOME (default ~/.cache).
    static DataFolders FromEnvironment();

    const std::filesystem::path& InstallFolder() const { return roots_.installFolder; }
    std::filesystem::path DefaultDataFolder() const;
    // The folders below are created when missing; a failure shows up later as files
    // that cannot be read or written.
    std::filesystem::path UserDataFolder() const;
    std::filesystem::path DataFolder(std::string_view deviceFolder) const;
    // <cache>/<application>/UpdateData, both created 0700 and refused (empty path)
    // unless this user owns them and nobody else may enter: downloads are checked and
    // then kept there, so no other user may plant or swap a file in it.
    std::filesystem::path UpdateFolder() const;
    std::filesystem::path SettingsFolder() const;
    // "<config>/autostart/vivori-trivex.desktop": the session starts what it finds there.
    std::filesystem::path AutostartFile() const;

    // "<default data folder>/<device folder>.Json"
    std::filesystem::path DefaultDataFile(std::string_view deviceFolder) const;
    // "<user device folder>/zunik_light.config"
    std::filesystem::path LightConfigFile(std::string_view deviceFolder) const;
    // "<default data folder>/default_light.json"
    std::filesystem::path DefaultLightFile() const;

    // Where "<Guid>.light" files are looked for: nothing writes them, so existing ones
    // may sit in the install folder or in the current folder, in that order.
    std::vector<std::filesystem::path> LightStepFolders() const;

  private:
    FolderRoots roots_;
};

}  // namespace vivori::profiles
