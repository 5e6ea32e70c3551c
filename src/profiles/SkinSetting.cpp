#include "profiles/SkinSetting.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <sstream>
#include <vector>

#include "profiles/JsonFile.h"

namespace vivori::profiles {

namespace {

constexpr std::string_view kSection = "SKINIMAGE";

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::optional<std::string> SectionName(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return std::nullopt;
    return trimmed.substr(1, trimmed.size() - 2);
}

std::map<std::string, std::string> SectionValues(const std::vector<std::string>& lines) {
    std::map<std::string, std::string> values;
    bool inside = false;
    for (const std::string& line : lines) {
        if (auto name = SectionName(line)) {
            inside = *name == kSection;
        } else if (inside && line.find('=') != std::string::npos) {
            values[Trim(line.substr(0, line.find('=')))] = Trim(line.substr(line.find('=') + 1));
        }
    }
    return values;
}

bool UsableImage(const std::string& image) {
    return !image.empty() && image.find("..") == std::string::npos &&
           image.find('\0') == std::string::npos;
}

}  // namespace

std::filesystem::path MainIniFile(const DataFolders& folders) {
    return folders.UserDataFolder() / "main.ini";
}

std::optional<SkinChoice> ReadSkinChoice(const std::filesystem::path& mainIni) {
    const std::optional<std::string> text = ReadTextFile(mainIni);
    if (!text || text->find('\0') != std::string::npos) return std::nullopt;
    const auto values = SectionValues(Lines(*text));
    const auto flags = values.find("FLAGS");
    if (flags == values.end()) return std::nullopt;
    SkinChoice choice;
    if (flags->second == "0") return choice;
    if (flags->second == "1") {
        const auto image = values.find("IMAGE");
        if (image == values.end() || !UsableImage(image->second)) return std::nullopt;
        choice.kind = SkinChoice::Kind::Image;
        choice.image = image->second;
        return choice;
    }
    if (flags->second == "2") {
        const auto colour = values.find("COLOR");
        if (colour == values.end() || colour->second.size() != 9 || colour->second[0] != '#')
            return std::nullopt;
        const char* begin = colour->second.data() + 1;
        const char* end = colour->second.data() + colour->second.size();
        auto [ptr, error] = std::from_chars(begin, end, choice.colour, 16);
        if (error != std::errc() || ptr != end) return std::nullopt;
        choice.kind = SkinChoice::Kind::Colour;
        choice.image.clear();
        return choice;
    }
    return std::nullopt;
}

bool WriteSkinChoice(const std::filesystem::path& mainIni, const SkinChoice& choice) {
    // One line per value: a path with a line break could not be read back.
    if (choice.image.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return false;
    std::vector<std::string> kept;
    if (auto text = ReadTextFile(mainIni); text && text->find('\0') == std::string::npos) {
        bool inside = false;
        for (const std::string& line : Lines(*text)) {
            if (auto name = SectionName(line)) inside = *name == kSection;
            if (!inside) kept.push_back(line);
        }
    }
    std::string out;
    for (const std::string& line : kept) out += line + "\n";
    out += "[SKINIMAGE]\n";
    switch (choice.kind) {
        case SkinChoice::Kind::Reset:
            out += "FLAGS=0\nIMAGE=" + std::string(kDefaultBackground) + "\n";
            break;
        case SkinChoice::Kind::Image:
            out += "FLAGS=1\nIMAGE=" + choice.image + "\n";
            break;
        case SkinChoice::Kind::Colour: {
            char colour[16];
            std::snprintf(colour, sizeof colour, "#%08X", unsigned(choice.colour));
            out += "FLAGS=2\nCOLOR=" + std::string(colour) + "\n";
            break;
        }
    }
    return WriteFileAtomically(mainIni, out);
}

}  // namespace vivori::profiles
