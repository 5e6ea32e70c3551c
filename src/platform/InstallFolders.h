#pragma once

#include <filesystem>

namespace vivori {

// The running executable ("vivori-trivex" when it cannot be found), and its folder
// ("." then).
std::filesystem::path ExecutablePath();
std::filesystem::path ExecutableFolder();

// Where the shipped data ("skin", "Font", "DefaultData") is, for a program in
// programFolder: beside it when it holds them (the build tree, or an install that
// keeps them with the programs), else "../share/vivori-trivex" from it when that
// exists (the Debian package), else programFolder itself.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& programFolder);
// The same for the running executable.
std::filesystem::path ShippedDataFolder();

}  // namespace vivori
