#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "profiles/DataFolders.h"

namespace vivori::testing {

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vivori-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Data folders rooted here, with the shipped DefaultData as the install folder's.
    profiles::DataFolders Folders() const {
        std::filesystem::create_directories(path_ / "install");
        std::error_code exists;
        std::filesystem::create_directory_symlink(VIVORI_DEFAULT_DATA_DIR,
                                                  path_ / "install" / "DefaultData", exists);
        return profiles::DataFolders(
            {path_ / "data", path_ / "config", path_ / "install", path_ / "cache"});
    }

  private:
    std::filesystem::path path_;
};

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace vivori::testing
