#include "app/LanguageFonts.h"

#include "platform/Debug.h"

namespace vivori::app {

namespace {

constexpr const char* kBaseFonts[] = {"Font/Display-Regular.otf", "Font/NotoSansThai-Regular.ttf",
                                      "Font/Roboto-Bold.ttf", "Font/Roboto-Light.ttf",
                                      "Font/Roboto-Regular.ttf"};
constexpr const char* kCjkFonts[] = {"Font/Simplified_Chinese.ttf",
                                     "Font/NotoSansCJKtc-Regular.otf"};

}  // namespace

void LanguageFonts::Load(const char* file) {
    // A missing font only means the toolkit falls back to the system's.
    auto font = std::make_unique<ui::MemoryFont>(folder_);
    if (!font->Load(file)) DebugPrintf("font %s not loaded", file);
    fonts_.push_back(std::move(font));
}

void LanguageFonts::LoadBase() {
    for (const char* file : kBaseFonts) Load(file);
}

bool LanguageFonts::LoadCjk() {
    if (cjkLoaded_) return true;
    for (const char* file : kCjkFonts) Load(file);
    cjkLoaded_ = true;
    return true;
}

bool LanguageFonts::NeedsCjk(std::string_view languageName, int languageId) {
    // Chinese (simplified, traditional), Japanese, Korean.
    for (int id : {2052, 1028, 3076, 4100, 1041, 1042})
        if (languageId == id) return true;
    for (std::string_view name : {"cn", "tw", "zh", "ja", "jp", "ko", "kr"})
        if (languageName == name) return true;
    return false;
}

int LanguageFonts::Loaded() const {
    int loaded = 0;
    for (const auto& font : fonts_) loaded += font->IsLoaded() ? 1 : 0;
    return loaded;
}

}  // namespace vivori::app
