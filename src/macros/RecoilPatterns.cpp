#include "macros/RecoilPatterns.h"

#include <algorithm>
#include <optional>

#include "macros/MacroEvents.h"
#include "profiles/JsonFile.h"

namespace vivori::macros {

std::string RecoilFileName(int pattern) {
    return "ShootData_" + std::to_string(pattern) + ".Shoot";
}

std::filesystem::path RecoilSource(const std::filesystem::path& userFolder,
                                   const std::filesystem::path& defaultFolder, int pattern) {
    const std::filesystem::path user = userFolder / RecoilFileName(pattern);
    if (profiles::ReadJsonDocument(user).state == profiles::FileState::Parsed) return user;
    return defaultFolder / RecoilFileName(pattern);
}

RecoilEvents ReadRecoilPatterns(const std::filesystem::path& userFolder,
                                const std::filesystem::path& defaultFolder) {
    RecoilEvents patterns;
    for (int n = 0; n < kRecoilPatternCount; ++n)
        patterns[size_t(n)] =
            ReadMacroEvents(profiles::ReadJsonFile(RecoilSource(userFolder, defaultFolder, n)));
    return patterns;
}

namespace {

int ClampPattern(int pattern) {
    return std::clamp(pattern, 0, kRecoilPatternCount - 1);
}

Json::Value Event(bool down, int button, int delay, int type) {
    Json::Value e(Json::objectValue);
    e["Action"] = down ? "down" : "up";
    e["Button"] = std::clamp(button, 0, 255);
    e["Delay"] = std::clamp(delay, 0, 0xFFFF);
    e["Type"] = type;
    return e;
}

RecoilResult Refused(std::string message) {
    return {false, std::move(message), {}};
}

std::string KindName(long long type) {
    switch (type) {
        case kTypeMouseButton:
            return "a mouse button";
        case kTypeMoveHorizontal:
            return "a horizontal move";
        case kTypeMoveVertical:
            return "a vertical move";
        case kTypeModifier:
            return "a keyboard modifier";
        case kTypeKey:
            return "a keyboard key";
        default:
            return "Type " + std::to_string(type);
    }
}

// Why the events are not a recoil pattern: each shot is six events of fixed kinds, as
// the panel and the device image read them (a macro file or an empty list would put
// keys or nothing where the mouse expects its shots). Empty when they are.
std::string ShapeRefusal(const Json::Value& events) {
    constexpr uint8_t kShotKinds[kEventsPerBullet] = {kTypeMouseButton,    kTypeMouseButton,
                                                      kTypeMoveHorizontal, kTypeMoveVertical,
                                                      kTypeMoveHorizontal, kTypeMoveVertical};
    constexpr Json::ArrayIndex kMostEvents = kBulletsPerPattern * kEventsPerBullet;
    const Json::ArrayIndex count = events.size();
    const std::string shots = ", and a recoil pattern holds 6 per shot, 1 to " +
                              std::to_string(kBulletsPerPattern) + " shots";
    if (count == 0) return "it holds no events" + shots;
    // The kinds first: they tell a macro file for what it is.
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const std::optional<std::int64_t> type = profiles::AsInt64(events[i]["Type"]);
        const uint8_t expected = kShotKinds[i % kEventsPerBullet];
        if (type && *type == expected) continue;
        return "event " + std::to_string(i + 1) + " is " +
               (type ? KindName(*type) : std::string("of no known kind")) +
               ", where a recoil pattern has " + KindName(expected);
    }
    if (count % kEventsPerBullet != 0 || count > kMostEvents)
        return "it holds " + std::to_string(count) + " events" + shots;
    return {};
}

}  // namespace

Bullet ReadBullet(const std::filesystem::path& userFolder, int pattern, int bullet) {
    return BulletOf(profiles::ReadJsonFile(userFolder / RecoilFileName(ClampPattern(pattern))),
                    bullet);
}

Bullet BulletOf(const Json::Value& doc, int bullet) {
    const Json::Value& events = profiles::JsonMember(doc, "Events");
    const Json::ArrayIndex at =
        Json::ArrayIndex(std::clamp(bullet, 0, kBulletsPerPattern - 1) * kEventsPerBullet);
    const MacroEvent horizontal = ReadMacroEvent(profiles::JsonElement(events, at + 2));
    const MacroEvent vertical = ReadMacroEvent(profiles::JsonElement(events, at + 3));
    return {horizontal.button, vertical.button, vertical.delay, horizontal.press, vertical.press};
}

bool SaveBullet(const std::filesystem::path& userFolder, int pattern, int bullet,
                const Bullet& value) {
    const std::filesystem::path file = userFolder / RecoilFileName(ClampPattern(pattern));
    const profiles::JsonDocument read = profiles::ReadJsonDocument(file);
    // A file that exists but cannot be read is never written over.
    if (read.state == profiles::FileState::Unreadable) return false;
    Json::Value doc = read.value.isObject() ? read.value : Json::Value(Json::objectValue);
    Json::Value& events = profiles::ArrayMember(doc, "Events");
    const Json::ArrayIndex at =
        Json::ArrayIndex(std::clamp(bullet, 0, kBulletsPerPattern - 1) * kEventsPerBullet);
    const Json::Value six[kEventsPerBullet] = {Event(true, 1, 10, 1),
                                               Event(false, 1, 0, 1),
                                               Event(value.left, value.x, 5, 4),
                                               Event(value.up, value.y, value.delay, 5),
                                               Event(value.left, 0, 0, 4),
                                               Event(value.up, 0, 0, 5)};
    for (int i = 0; i < kEventsPerBullet; ++i) events[at + Json::ArrayIndex(i)] = six[i];
    return profiles::WriteJsonFile(file, doc);
}

RecoilResult ImportPattern(const std::filesystem::path& userFolder, int pattern,
                           const std::filesystem::path& file) {
    const std::optional<std::string> text = profiles::ReadTextFile(file);
    if (!text) return Refused("the file could not be read (missing or too large)");
    const Json::Value doc = profiles::ParseJsonText(*text).value_or(Json::Value());
    RecoilResult result;
    Json::Value fixed;
    if (auto reason = CheckEventDocument(doc, "recoil pattern file", false, fixed, result.notes))
        return Refused(*reason);
    if (std::string shape = ShapeRefusal(doc["Events"]); !shape.empty())
        return Refused("the file is not a recoil pattern: " + shape);
    const std::filesystem::path target = userFolder / RecoilFileName(ClampPattern(pattern));
    const bool written = result.notes.empty() ? profiles::WriteFileAtomically(target, *text)
                                              : profiles::WriteJsonFile(target, fixed);
    if (!written) return Refused("the pattern file could not be written");
    result.ok = true;
    return result;
}

RecoilResult ExportPattern(const std::filesystem::path& userFolder,
                           const std::filesystem::path& defaultFolder, int pattern,
                           const std::filesystem::path& target, bool overwrite) {
    std::error_code error;
    if (!overwrite && std::filesystem::exists(target, error))
        return Refused("the target exists; give leave to overwrite it");
    const std::optional<std::string> text =
        profiles::ReadTextFile(RecoilSource(userFolder, defaultFolder, ClampPattern(pattern)));
    if (!text) return Refused("the pattern file could not be read");
    if (!profiles::WriteFileAtomically(target, *text))
        return Refused("the target could not be written");
    return {true, {}, {}};
}

RecoilResult ResetPattern(const std::filesystem::path& userFolder,
                          const std::filesystem::path& defaultFolder, int pattern) {
    const std::string name = RecoilFileName(ClampPattern(pattern));
    const std::optional<std::string> text = profiles::ReadTextFile(defaultFolder / name);
    if (!text) return Refused("the default pattern could not be read");
    if (!profiles::WriteFileAtomically(userFolder / name, *text))
        return Refused("the pattern file could not be written");
    return {true, {}, {}};
}

void EnsurePatterns(const std::filesystem::path& userFolder,
                    const std::filesystem::path& defaultFolder) {
    for (int n = 0; n < kRecoilPatternCount; ++n) {
        const profiles::FileState state =
            profiles::ReadJsonDocument(userFolder / RecoilFileName(n)).state;
        if (state == profiles::FileState::Missing || state == profiles::FileState::Corrupt)
            ResetPattern(userFolder, defaultFolder, n);
    }
}

}  // namespace vivori::macros
