#pragma once

// The program's own fonts. The Latin ones are added at start; the CJK ones, by far
// the largest (several megabytes each once added), only when a language or a window
// needs their letters, and then kept for the rest of the run.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/qt/MemoryFont.h"

namespace vivori::app {

class LanguageFonts {
  public:
    explicit LanguageFonts(std::string programFolder) : folder_(std::move(programFolder)) {}
    ~LanguageFonts() {
        while (!fonts_.empty()) fonts_.pop_back();  // last added first
    }
    LanguageFonts(const LanguageFonts&) = delete;
    LanguageFonts& operator=(const LanguageFonts&) = delete;

    void LoadBase();
    // Adds the CJK fonts once; true when they are (or already were) added.
    bool LoadCjk();
    bool CjkLoaded() const { return cjkLoaded_; }
    // Whether a language (by its toolkit name or id) writes with CJK letters.
    static bool NeedsCjk(std::string_view languageName, int languageId);
    int Loaded() const;

  private:
    void Load(const char* file);

    std::string folder_;
    std::vector<std::unique_ptr<ui::MemoryFont>> fonts_;
    bool cjkLoaded_ = false;
};

}  // namespace vivori::app
