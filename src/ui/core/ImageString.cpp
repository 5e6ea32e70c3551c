#include <functional>
#include <string>
#include <unordered_map>

#include "ui/core/AttributeValues.h"
#include "ui/core/IRender.h"

namespace vivori::ui {

ImageDrawInfo ParseImageString(std::string_view text) {
    ImageDrawInfo info;
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return info;
    text.remove_prefix(start);
    if (text.find('=') == std::string_view::npos) {
        // A bare file name.
        info.file = text;
        info.valid = true;
        return info;
    }
    ForEachAttribute(text, [&info](const std::string& name, const std::string& value) {
        if (name == "file" || name == "res") {
            info.file = value;
        } else if (name == "source") {
            info.source = ParseRect(value);
        } else if (name == "dest") {
            info.dest = ParseRect(value);
        } else if (name == "corner") {
            info.corner = ParseRect(value);
        } else if (name == "fade") {
            info.fade = std::min(std::max(ParseInt(value), 0), 255);
        } else if (name == "mask") {
            info.mask = ParseColor(value);
        } else if (name == "hole") {
            info.hole = ParseBool(value);
        }
    });
    info.valid = !info.file.empty();
    return info;
}

std::string WithImageFile(std::string_view image, std::string_view file) {
    constexpr std::string_view kKey = "file='";
    const size_t start = image.find(kKey);
    const size_t end =
        start == std::string_view::npos ? start : image.find('\'', start + kKey.size());
    if (end == std::string_view::npos) return std::string(kKey) + std::string(file) + "'";
    return std::string(image.substr(0, start + kKey.size())) + std::string(file) +
           std::string(image.substr(end));
}

UiSize EstimateTextSize(std::string_view text, int fontSize) {
    if (text.empty()) return {0, fontSize + 4};
    int characters = 0;
    for (char c : text) {
        // Count code points: continuation bytes do not start a character.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    return {characters * (fontSize * 6 / 10 + 1), fontSize + 4};
}

namespace {
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>()(text);
    }
};
constexpr std::size_t kParsedStrings = 1024;
}  // namespace

const ImageDrawInfo& ParsedImageString(std::string_view text) {
    thread_local std::unordered_map<std::string, ImageDrawInfo, TextHash, std::equal_to<>> parsed;
    if (auto found = parsed.find(text); found != parsed.end()) return found->second;
    // Layouts hold a few hundred strings; one made up on the fly must not grow this.
    if (parsed.size() >= kParsedStrings) parsed.clear();
    return parsed.emplace(std::string(text), ParseImageString(text)).first->second;
}

}  // namespace vivori::ui
