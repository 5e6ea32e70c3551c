#include "ui/core/AttributeValues.h"

#include <cstdio>

namespace vivori::ui {
namespace {

// Layout numbers are pixels, counts and indexes; a million is beyond any of them and
// keeps sums over a whole tree far from overflowing.
constexpr long long kLimit = 1'000'000;

// Reads one signed decimal number, moving the view past it and any separator.
int TakeInt(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > kLimit) value = kLimit;
    }
    while (i < text.size() && text[i] != ',') ++i;
    text.remove_prefix(i);
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

int ParseInt(std::string_view text) {
    return TakeInt(text);
}

bool ParseBool(std::string_view text) {
    return text == "true" || text == "1";
}

UiColor ParseColor(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '#')) text.remove_prefix(1);
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    UiColor value = 0;
    std::size_t digits = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            break;
        }
        if (++digits > 8) break;
        value = (value << 4) | static_cast<UiColor>(digit);
    }
    // Six digits mean an opaque colour.
    if (digits == 6) value |= 0xFF000000u;
    return value;
}

UiRect ParseRect(std::string_view text) {
    UiRect rect;
    rect.left = TakeInt(text);
    rect.top = TakeInt(text);
    rect.right = TakeInt(text);
    rect.bottom = TakeInt(text);
    return rect;
}

UiSize ParseSize(std::string_view text) {
    UiSize size;
    size.cx = TakeInt(text);
    size.cy = TakeInt(text);
    return size;
}

std::string FormatColor(UiColor color) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, "#%08X", color);
    return buffer;
}

std::optional<std::pair<std::string, std::string>> NextAttribute(std::string_view& list) {
    std::size_t i = 0;
    while (i < list.size() &&
           (list[i] == ' ' || list[i] == '\t' || list[i] == '\n' || list[i] == '\r')) {
        ++i;
    }
    std::size_t nameStart = i;
    while (i < list.size() && list[i] != '=' && list[i] != ' ') ++i;
    if (i >= list.size() || list[i] != '=' || i == nameStart) return std::nullopt;
    std::string name(list.substr(nameStart, i - nameStart));
    ++i;
    if (i >= list.size() || (list[i] != '"' && list[i] != '\'')) return std::nullopt;
    char quote = list[i++];
    std::size_t valueEnd = list.find(quote, i);
    if (valueEnd == std::string_view::npos) return std::nullopt;
    std::string value(list.substr(i, valueEnd - i));
    list.remove_prefix(valueEnd + 1);
    return std::make_pair(std::move(name), std::move(value));
}

}  // namespace vivori::ui
