#pragma once

// A scratch folder for the fuzz targets that need files, made once per process and
// removed at exit; and a helper that puts the input into a file in it.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vivori::fuzz {

// Never destroyed, so the exit handler that removes it can still name it.
inline const std::filesystem::path& ScratchFolder() {
    static const auto* folder = [] {
        // In memory where there is such a folder: the atomic writer syncs every file,
        // which on a disk holds a target to a few runs a second.
        std::error_code error;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "vivori-fuzz-XXXXXX").string();
        auto* made = new std::filesystem::path(mkdtemp(pattern.data()));
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return made;
    }();
    return *folder;
}

inline std::filesystem::path WriteInput(const std::filesystem::path& file, const uint8_t* data,
                                        size_t size) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return file;
}

// A fresh, empty folder below the scratch folder.
inline std::filesystem::path FreshFolder(const char* name) {
    const std::filesystem::path folder = ScratchFolder() / name;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace vivori::fuzz
