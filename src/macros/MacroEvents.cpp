#include "macros/MacroEvents.h"

#include <optional>

#include "profiles/JsonFile.h"

namespace vivori::macros {
namespace {

long long Field(const Json::Value& event, const char* key, long long lo, long long hi,
                std::vector<std::string>* problems) {
    const Json::Value& v = event.isObject() ? event[key] : Json::Value::nullSingleton();
    if (v.isNull()) return 0;  // a missing member reads as 0
    // Integers, booleans, reals and decimal strings all count: files written by other
    // versions differ in how they store them.
    const std::optional<std::int64_t> number = profiles::AsInt64(v);
    if (!number) {
        if (problems) problems->push_back(std::string("\"") + key + "\" is not a number; 0 used");
        return 0;
    }
    const long long n = *number;
    if (n >= lo && n <= hi) return n;
    // Clamped, never masked: a masked 300 would pass for another event kind (44).
    const long long fixed = n < lo ? lo : hi;
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
    e.type = static_cast<uint8_t>(Field(event, "Type", 0, 0x7F, problems));
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

std::optional<std::string> CheckEventDocument(const Json::Value& doc, const std::string& what,
                                              bool delayAsString, Json::Value& fixed,
                                              std::vector<std::string>& notes) {
    if (!doc.isObject()) return "the file is not a " + what + " (not a JSON object)";
    const Json::Value& events = doc["Events"];
    if (!events.isArray()) return "the file is not a " + what + " (no \"Events\" list)";
    fixed = doc;
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const Json::Value& e = events[i];
        if (!e.isObject()) return "event " + std::to_string(i + 1) + " is not an event object";
        std::vector<std::string> problems;
        const MacroEvent value = ReadMacroEvent(e, &problems);
        if (problems.empty()) continue;
        for (const auto& p : problems) notes.push_back("event " + std::to_string(i + 1) + ": " + p);
        Json::Value& out = fixed["Events"][i];
        out["Type"] = value.type;
        out["Button"] = value.button;
        if (delayAsString)
            out["Delay"] = std::to_string(value.delay);
        else
            out["Delay"] = value.delay;
    }
    return std::nullopt;
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
