#pragma once

#include <string>
#include <string_view>

namespace vivori::ui {

// A font file added for this process only, from a folder beside the program
// ("Font/Roboto-Regular.ttf"). A missing or unreadable file is not an error the
// program acts on: Load says false and the toolkit falls back to system fonts.
class MemoryFont {
  public:
    // folder: where relative paths start; empty means the program's folder.
    explicit MemoryFont(std::string folder = {});
    ~MemoryFont();
    MemoryFont(const MemoryFont&) = delete;
    MemoryFont& operator=(const MemoryFont&) = delete;

    bool Load(std::string_view relativePath);
    void Release();
    bool IsLoaded() const { return id_ >= 0; }
    // The family names the file added; empty when not loaded.
    std::string Family() const;

  private:
    std::string folder_;
    int id_ = -1;
};

}  // namespace vivori::ui
