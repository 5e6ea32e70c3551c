#include "macros/MacroLibrary.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "macros/MacroEvents.h"
#include "platform/CaseFold.h"
#include "platform/Debug.h"
#include "platform/Identifier.h"
#include "platform/Utf8.h"
#include "profiles/FileLock.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"

namespace vivori::macros {
namespace fs = std::filesystem;
using profiles::IsBareFileName;
using profiles::JsonString;
using profiles::ParseJsonText;
using profiles::ReadJsonFile;
using profiles::ReadTextFile;
using profiles::WriteFileAtomically;
using profiles::WriteJsonFile;

namespace {

bool NameTaken(const std::vector<MacroEntry>& list, std::string_view name) {
    const std::string wanted = FoldCase(name);
    return std::any_of(list.begin(), list.end(),
                       [&](const MacroEntry& e) { return FoldCase(e.name) == wanted; });
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

MacroResult Refuse(MacroError error, std::string message) {
    MacroResult r;
    r.error = error;
    r.message = std::move(message);
    return r;
}

}  // namespace

MacroLibrary::MacroLibrary(fs::path deviceFolder) : folder_(std::move(deviceFolder)) {}

MacroList MacroLibrary::ReadList() const {
    MacroList list;
    const fs::path path = folder_ / kMacroListFile;
    const profiles::JsonDocument doc = profiles::ReadJsonDocument(path);
    if (doc.state == profiles::FileState::Missing) return list;
    const Json::Value& info = profiles::JsonMember(doc.value, "MacroInfo");
    const bool usable = doc.state == profiles::FileState::Parsed && doc.value.isObject() &&
                        (info.isNull() || info.isArray());
    if (!usable) {
        list.known = false;
        list.problem = "the macro list " + path.string() +
                       " cannot be read; it is left as it is, and keys keep their macros "
                       "until it is mended or removed";
        DebugPrintf("%s\n", list.problem.c_str());
        return list;
    }
    for (const Json::Value& e : info) {
        MacroEntry entry;
        entry.name = JsonString(e, "MacroName", "");
        entry.guid = JsonString(e, "Guid", "");
        // Positions are what key assignments refer to, so even an odd entry keeps its place.
        list.entries.push_back(std::move(entry));
    }
    return list;
}

std::vector<MacroEntry> MacroLibrary::List() const {
    return ReadList().entries;
}

namespace {

// The folder's macro lock, held from a change's read of the list to its write.
profiles::FileLock LockList(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    return profiles::FileLock(folder / ".macro.config.lock");
}

}  // namespace

std::optional<std::vector<MacroEntry>> MacroLibrary::ListForChange(MacroResult* refusal) const {
    MacroList list = ReadList();
    if (list.known) return std::move(list.entries);
    *refusal = Refuse(MacroError::ListUnreadable, list.problem);
    return std::nullopt;
}

bool MacroLibrary::EditList(const std::function<void(Json::Value& info)>& edit) const {
    // Only "MacroInfo" is ours, and in it only the entries and keys an operation
    // touches: other keys survive, and a list that cannot be used is kept aside.
    std::error_code ec;
    fs::create_directories(folder_, ec);
    return profiles::UpdateJsonFile(
        folder_ / kMacroListFile,
        [&](Json::Value& root) { edit(profiles::ArrayMember(root, "MacroInfo")); }, "MacroInfo");
}

fs::path MacroLibrary::MacroPath(const MacroEntry& entry) const {
    if (!IsBareFileName(entry.guid)) return {};
    return folder_ / (entry.guid + kMacroExtension);
}

std::string MacroLibrary::DefaultName(const std::vector<MacroEntry>& list) {
    for (int n = 1;; ++n) {
        std::string name = "macro_" + std::to_string(n);
        if (!NameTaken(list, name)) return name;
    }
}

std::string MacroLibrary::ImportName(const std::string& title,
                                     const std::vector<MacroEntry>& list) {
    std::string name = title;
    // Appended piece by piece: g++ 12 at -O3 takes "_" + string for an overlapping copy.
    for (int n = 1; NameTaken(list, name); ++n) name.append("_").append(std::to_string(n));
    return name;
}

MacroResult MacroLibrary::Append(const std::vector<MacroEntry>& list, const std::string& name,
                                 std::string* guid) {
    const std::string id = MakeTimeStampIdentifier([&](const std::string& candidate) {
        std::error_code ec;
        return std::any_of(list.begin(), list.end(),
                           [&](const MacroEntry& e) { return e.guid == candidate; }) ||
               fs::exists(folder_ / (candidate + kMacroExtension), ec);
    });
    const bool written = EditList([&](Json::Value& info) {
        Json::Value row(Json::objectValue);
        row["MacroName"] = name;
        row["Guid"] = id;
        info.append(std::move(row));
    });
    if (!written) return Refuse(MacroError::WriteFailed, "the macro list could not be written");
    *guid = id;
    MacroResult r;
    r.guid = id;
    return r;
}

MacroResult MacroLibrary::Add() {
    const profiles::FileLock lock = LockList(folder_);
    MacroResult refused;
    const auto list = ListForChange(&refused);
    if (!list) return refused;
    if (list->size() >= kMaxMacros)
        return Refuse(MacroError::LimitReached, "at most 50 macros can be created");
    std::string guid;
    return Append(*list, DefaultName(*list), &guid);
}

MacroResult MacroLibrary::Rename(size_t index, std::string_view name) {
    const profiles::FileLock lock = LockList(folder_);
    MacroResult refused;
    const auto known = ListForChange(&refused);
    if (!known) return refused;
    const std::vector<MacroEntry>& list = *known;
    if (index >= list.size()) return Refuse(MacroError::NoSuchMacro, "no such macro");
    if (Trim(name).empty()) return Refuse(MacroError::EmptyName, "IsEmpty");
    if (NameTaken(list, name)) return Refuse(MacroError::DuplicateName, "message_text_5");
    const bool written = EditList([&](Json::Value& info) {
        if (index < info.size())
            profiles::ObjectElement(info, Json::ArrayIndex(index))["MacroName"] = std::string(name);
    });
    if (!written) return Refuse(MacroError::WriteFailed, "the macro list could not be written");
    MacroResult r;
    r.guid = list[index].guid;
    return r;
}

MacroResult MacroLibrary::Save(size_t index, const Json::Value& events) {
    MacroResult refused;
    const auto known = ListForChange(&refused);
    if (!known) return refused;
    const std::vector<MacroEntry>& list = *known;
    if (index >= list.size()) return Refuse(MacroError::NoSuchMacro, "no such macro");
    const MacroEntry& entry = list[index];
    if (entry.name.empty()) return Refuse(MacroError::EmptyName, "the macro has no name");
    const fs::path path = MacroPath(entry);
    if (path.empty())
        return Refuse(MacroError::BadIdentifier, "the macro's identifier is not a file name");
    Json::Value doc(Json::objectValue);
    doc["MacroName"] = entry.name;
    doc["Guid"] = entry.guid;
    Json::Value out(Json::arrayValue);
    if (events.isArray()) {
        for (const Json::Value& e : events) {
            if (!e.isObject()) continue;
            Json::Value copy = e;
            copy["Delay"] = std::to_string(ReadMacroEvent(e).delay);
            out.append(copy);
        }
    }
    doc["Events"] = out;
    doc["Version"] = kMacroFileVersion;
    if (!WriteJsonFile(path, doc))
        return Refuse(MacroError::WriteFailed, "the macro file could not be written");
    MacroResult r;
    r.guid = entry.guid;
    return r;
}

MacroResult MacroLibrary::Delete(size_t index, std::string_view expectedGuid) {
    const profiles::FileLock lock = LockList(folder_);
    MacroResult refused;
    const auto known = ListForChange(&refused);
    if (!known) return refused;
    const std::vector<MacroEntry>& list = *known;
    if (index >= list.size()) return Refuse(MacroError::NoSuchMacro, "no such macro");
    const MacroEntry entry = list[index];
    if (!expectedGuid.empty() && entry.guid != expectedGuid)
        return Refuse(MacroError::NoSuchMacro,
                      "the macro list was changed by another program; nothing was deleted");
    const fs::path path = MacroPath(entry);
    const bool written = EditList([&](Json::Value& info) {
        Json::Value removed;
        info.removeIndex(Json::ArrayIndex(index), &removed);
    });
    if (!written) return Refuse(MacroError::WriteFailed, "the macro list could not be written");
    // A Guid that is not a bare name never becomes a path: that entry just leaves the
    // list. Nor does a file another entry still names.
    const bool shared = std::any_of(list.begin(), list.end(), [&](const MacroEntry& e) {
        return &e != &list[index] && e.guid == entry.guid;
    });
    if (!path.empty() && !shared) {
        std::error_code ec;
        fs::remove(path, ec);
    }
    MacroResult r;
    r.guid = entry.guid;
    return r;
}

MacroResult MacroLibrary::Import(const fs::path& file) {
    std::string why;
    const std::optional<std::string> text = ReadTextFile(file, &why);
    if (!text) return Refuse(MacroError::ReadFailed, "the file could not be read: " + why);
    const Json::Value doc = ParseJsonText(*text).value_or(Json::Value());
    if (!doc.isObject())
        return Refuse(MacroError::BadFile, "the file is not a macro file (not a JSON object)");
    const Json::Value& events = doc["Events"];
    if (!events.isArray())
        return Refuse(MacroError::BadFile, "the file is not a macro file (no \"Events\" list)");

    std::vector<std::string> notes;
    std::vector<MacroEvent> values;
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const Json::Value& e = events[i];
        if (!e.isObject())
            return Refuse(MacroError::BadFile,
                          "event " + std::to_string(i + 1) + " is not an event object");
        std::vector<std::string> problems;
        values.push_back(ReadMacroEvent(e, &problems));
        for (const auto& p : problems) notes.push_back("event " + std::to_string(i + 1) + ": " + p);
    }
    // A file that needed a correction is stored in the form this program writes, every
    // event alike: integers for "Type" and "Button", a decimal string for "Delay".
    std::string stored = *text;
    if (!notes.empty()) {
        Json::Value fixed = doc;
        Json::Value& out = fixed["Events"];
        for (Json::ArrayIndex i = 0; i < values.size(); ++i) {
            const MacroEvent& v = values[i];
            out[i] = MakeEventObject(v.press, v.type, v.button, v.delay);
            for (const auto& key : events[i].getMemberNames())  // keys we do not know stay
                if (!out[i].isMember(key)) out[i][key] = events[i][key];
        }
        stored = profiles::StyledJson(fixed);
    }
    // Refused before the list changes: a file the reader would refuse is never stored.
    if (std::string reason = profiles::OversizeReason(file.filename(), stored.size());
        !reason.empty())
        return Refuse(MacroError::BadFile, reason);

    // The name is compared and stored as UTF-8: a file name in another encoding would
    // otherwise turn into the same replacement characters as the next one.
    const std::string title = ValidUtf8(file.stem().string());
    // The name and the identifier are chosen and stored under the lock, the file too,
    // so an import running beside this one sees both.
    const profiles::FileLock lock = LockList(folder_);
    MacroResult refused;
    const auto list = ListForChange(&refused);
    if (!list) return refused;
    std::string guid;
    MacroResult added = Append(*list, ImportName(title.empty() ? "macro" : title, *list), &guid);
    if (!added) return added;
    if (!WriteFileAtomically(folder_ / (guid + kMacroExtension), stored)) {
        const std::string reason = profiles::LastWriteError();
        EditList([&](Json::Value& info) {
            if (!info.empty() && JsonString(info[info.size() - 1], "Guid") == guid) {
                Json::Value removed;
                info.removeIndex(info.size() - 1, &removed);
            }
        });
        return Refuse(MacroError::WriteFailed, "the macro file could not be written: " + reason);
    }
    added.notes = std::move(notes);
    return added;
}

MacroResult MacroLibrary::Export(size_t index, const fs::path& target, bool overwrite) {
    MacroResult refused;
    const auto known = ListForChange(&refused);  // positions mean nothing in an unknown list
    if (!known) return refused;
    const std::vector<MacroEntry>& list = *known;
    if (index >= list.size()) return Refuse(MacroError::NoSuchMacro, "no such macro");
    const fs::path path = MacroPath(list[index]);
    if (path.empty())
        return Refuse(MacroError::BadIdentifier, "the macro's identifier is not a file name");
    std::error_code ec;
    if (!overwrite && fs::exists(target, ec))
        return Refuse(MacroError::TargetExists, "the file already exists");
    const std::optional<std::string> text = ReadTextFile(path);
    if (!text) return Refuse(MacroError::ReadFailed, "the macro has not been saved yet");
    if (!WriteFileAtomically(target, *text))
        return Refuse(MacroError::WriteFailed,
                      "the file could not be written: " + profiles::LastWriteError());
    MacroResult r;
    r.guid = list[index].guid;
    return r;
}

Json::Value MacroLibrary::Document(size_t index) const {
    const std::vector<MacroEntry> list = List();
    if (index >= list.size()) return {};
    const fs::path path = MacroPath(list[index]);
    if (path.empty()) return {};
    return ReadJsonFile(path);
}

std::vector<MacroEvent> MacroLibrary::Events(size_t index) const {
    return ReadMacroEvents(Document(index));
}

std::optional<std::vector<MacroEvent>> MacroLibrary::EventsToSend(size_t index) const {
    const std::vector<MacroEntry> list = List();
    if (index >= list.size()) return std::nullopt;
    return EventsToSend(list[index]);
}

std::optional<std::vector<MacroEvent>> MacroLibrary::EventsToSend(const MacroEntry& entry) const {
    const fs::path path = MacroPath(entry);
    if (path.empty()) return std::nullopt;
    const profiles::JsonDocument doc = profiles::ReadJsonDocument(path);
    if (doc.state == profiles::FileState::Missing) return std::vector<MacroEvent>{};
    if (doc.state != profiles::FileState::Parsed) return std::nullopt;
    return ReadMacroEvents(doc.value);
}

std::vector<std::vector<MacroEvent>> MacroLibrary::AllEvents() const {
    std::vector<std::vector<MacroEvent>> all;
    const std::vector<MacroEntry> list = List();
    for (const MacroEntry& e : list) {
        const fs::path path = MacroPath(e);
        all.push_back(path.empty() ? std::vector<MacroEvent>{}
                                   : ReadMacroEvents(ReadJsonFile(path)));
    }
    return all;
}

}  // namespace vivori::macros
