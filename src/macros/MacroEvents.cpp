#include "macros/MacroEvents.h"

#include <cerrno>
#include <cstdlib>

namespace vivori::macros {
namespace {

// A member as a number: integers, booleans, reals and decimal strings all count,
// since files written by other versions differ in how they store them.
bool NumberOf(const Json::Value& v, long long& out) {
    if (v.isBool()) {
        out = v.asBool() ? 1 : 0;
        return true;
    }
    if (v.isInt64()) {
        out = v.asInt64();
        return true;
    }
    if (v.isUInt64()) {
        out = v.asUInt64() > 0x7FFFFFFFull ? 0x7FFFFFFFll : static_cast<long long>(v.asUInt64());
        return true;
    }
    if (v.isDouble()) {
        double d = v.asDouble();
        out = d < -2e9 ? -2000000000ll : d > 2e9 ? 2000000000ll : static_cast<long long>(d);
        return true;
    }
    if (v.isString()) {
        const std::string s = v.asString();
        if (s.empty()) return false;
        errno = 0;
        char* end = nullptr;
        long long n = std::strtoll(s.c_str(), &end, 10);
        if (end == s.c_str() || *end != '\0' || errno == ERANGE) return false;
        out = n;
        return true;
    }
    return false;
}

long long Field(const Json::Value& event, const char* key, long long lo, long long hi,
                std::vector<std::string>* problems, bool maskTo7Bits = false) {
    const Json::Value& v = event.isObject() ? event[key] : Json::Value::nullSingleton();
    if (v.isNull()) return 0;  // a missing member reads as 0
    long long n = 0;
    if (!NumberOf(v, n)) {
        if (problems) problems->push_back(std::string("\"") + key + "\" is not a number; 0 used");
        return 0;
    }
    if (n >= lo && n <= hi) return n;
    long long fixed = maskTo7Bits ? (n & 0x7F) : (n < lo ? lo : hi);
    if (problems)
        problems->push_back(std::string("\"") + key + "\" " + std::to_string(n) +
                            " is out of range " + std::to_string(lo) + ".." + std::to_string(hi) +
                            "; " + std::to_string(fixed) + " used");
    return fixed;
}

}  // namespace

MacroEvent ReadMacroEvent(const Json::Value& event, std::vector<std::string>* problems) {
    MacroEvent e{};
    const Json::Value& action = event.isObject() ? event["Action"] : Json::Value::nullSingleton();
    e.press = action.isString() && action.asString() == "down";
    e.type = static_cast<uint8_t>(Field(event, "Type", 0, 0x7F, problems, true));
    e.button = static_cast<uint8_t>(Field(event, "Button", 0, 0xFF, problems));
    e.delay = static_cast<uint16_t>(Field(event, "Delay", 0, 0xFFFF, problems));
    return e;
}

std::array<uint8_t, 4> EventRecord(const Json::Value& event) {
    return EncodeEventRecord(ReadMacroEvent(event));
}

std::vector<MacroEvent> ReadMacroEvents(const Json::Value& document) {
    std::vector<MacroEvent> events;
    if (!document.isObject()) return events;
    const Json::Value& list = document["Events"];
    if (!list.isArray()) return events;
    events.reserve(list.size());
    for (const Json::Value& e : list)
        if (e.isObject()) events.push_back(ReadMacroEvent(e));
    return events;
}

Json::Value MakeEventObject(bool press, uint8_t type, uint8_t button, uint16_t delay) {
    Json::Value e(Json::objectValue);
    e["Action"] = press ? "down" : "up";
    e["Type"] = type;
    e["Button"] = button;
    e["Delay"] = std::to_string(delay);
    return e;
}

}  // namespace vivori::macros
