#include "profiles/ProfileNames.h"

#include "platform/CaseFold.h"
#include "platform/Utf8.h"

namespace vivori::profiles {

std::string ProfileNameRefusal(std::string_view name) {
    if (ValidUtf8(name) != name) return "the name is not valid UTF-8 text";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if ((byte & 0xC0) == 0x80) continue;
        ++characters;
        // C0 controls and DEL, then C1 controls (U+0080-U+009F, encoded C2 80-9F).
        const bool c1 =
            byte == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0;
        if (byte < 0x20 || byte == 0x7F || c1) return "the name holds a control character";
    }
    if (characters > kMaxProfileNameChars)
        return "the name is longer than " + std::to_string(kMaxProfileNameChars) + " characters";
    return {};
}

bool NameTaken(const std::vector<std::string>& names, std::string_view name, int skip) {
    const std::string folded = FoldCase(name);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (int(i) != skip && FoldCase(names[i]) == folded) return true;
    return false;
}

std::string DefaultProfileName(const std::vector<std::string>& names) {
    // Ends at names.size() + 1 at the latest: each listed name blocks one number.
    for (std::size_t n = 1;; ++n) {
        std::string name = "Профиль" + std::to_string(n);
        if (!NameTaken(names, name)) return name;
    }
}

std::string CopyProfileName(std::string_view source, const std::vector<std::string>& names) {
    std::string name(source);
    do name += " copy";
    while (NameTaken(names, name));
    return name;
}

std::string ImportProfileName(std::string_view title, const std::vector<std::string>& names) {
    std::string name(title);
    // Appended piece by piece: g++ 12 at -O3 takes "(" + string for an overlapping copy.
    for (int n = 1; NameTaken(names, name); ++n)
        name.append("(").append(std::to_string(n)).append(")");
    return name;
}

std::string ProfileFileName(std::string_view name) {
    std::string file = TrimmedName(name);
    for (char& c : file)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    // A leading dot would hide the file, and "." or ".." name folders.
    if (!file.empty() && file.front() == '.') file.front() = '_';
    if (file.empty()) file = "profile";
    return file.append(".json");
}

std::string TrimmedName(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(kSpace) - first + 1));
}

}  // namespace vivori::profiles
