#include "profiles/Autostart.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "profiles/JsonFile.h"

namespace vivori::profiles {
namespace {

// Exec's quoting: inside double quotes, '"', '`', '$' and '\' are escaped with a
// backslash; the file format then doubles every backslash once more.
std::string ExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

std::string AutostartEntry(const std::filesystem::path& program) {
    // Appended, not "literal" + string, which g++ 12 at -O3 takes for an overlapping copy.
    return std::string("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=VIVORI Trivex\n"
                       "Comment=Lights and settings of the VIVORI devices, in the tray\n"
                       "Exec=")
        .append(ExecArgument(program.string()))
        .append(" --hidden\n"
                "Icon=vivori-trivex\n"
                "Terminal=false\n"
                "X-GNOME-Autostart-enabled=true\n");
}

bool AutostartEnabled(const DataFolders& folders) {
    std::ifstream file(folders.AutostartFile());
    if (!file) return false;
    // An entry the user switched off in the desktop's own settings stays off.
    std::string line;
    while (std::getline(file, line))
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") return false;
    return true;
}

std::string SetAutostart(const DataFolders& folders, bool enabled,
                         const std::filesystem::path& program) {
    const std::filesystem::path entry = folders.AutostartFile();
    std::error_code error;
    if (!enabled) {
        std::filesystem::remove(entry, error);
        return error ? entry.string() + ": " + error.message() : std::string();
    }
    std::filesystem::create_directories(entry.parent_path(), error);
    if (error) return entry.parent_path().string() + ": " + error.message();
    if (!WriteFileAtomically(entry, AutostartEntry(program)))
        return entry.string() + ": " + std::strerror(errno);
    return {};
}

}  // namespace vivori::profiles
