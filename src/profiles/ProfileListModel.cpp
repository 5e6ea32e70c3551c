#include "profiles/ProfileListModel.h"

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <system_error>

#include "platform/Debug.h"
#include "platform/Identifier.h"
#include "platform/Utf8.h"
#include "profiles/FileLock.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonUpdate.h"
#include "profiles/ProfileNames.h"

namespace vivori::profiles {

namespace {

constexpr int kHeadsetKind = 7;
constexpr const char* kList = "profilelist";
constexpr const char* kSelect = "profileselect";

ProfileEntry EntryOf(const Json::Value& element) {
    return {JsonString(element, "profilename"), JsonString(element, "profileUUID")};
}

Json::Value MakeEntry(const ProfileEntry& entry) {
    Json::Value element(Json::objectValue);
    element["profilename"] = entry.name;
    element["profileUUID"] = entry.uuid;
    element["profileislink"] = 0;
    element["profilelinkmame"] = "";
    return element;
}

const Json::Value& ListOf(const Json::Value& list) {
    return JsonMember(list, kList);
}

std::vector<std::string> NamesOf(const Json::Value& list) {
    return ReadArray(ListOf(list), ListOf(list).size(),
                     [](const Json::Value& element) { return EntryOf(element).name; });
}

bool IsUsableId(std::string_view uuid) {
    return uuid.size() <= kMaxProfileIdLength && IsBareFileName(std::string(uuid) + ".Json");
}

ProfileOutcome Fail(ProfileStatus status, std::string message) {
    DebugPrintf("profile list: %s\n", message.c_str());
    return {status, std::move(message)};
}

// A name the list cannot take, said the way the operation met it.
std::optional<ProfileOutcome> RefusedName(const std::string& name, const std::string& what) {
    const std::string why = ProfileNameRefusal(name);
    if (why.empty()) return std::nullopt;
    return Fail(ProfileStatus::BadName, what + " (" + why + ")");
}

ProfileOutcome NotWritten(const std::filesystem::path& path) {
    const std::string& why = LastWriteError();
    return Fail(ProfileStatus::WriteFailed,
                "could not write " + path.string() + (why.empty() ? "" : ": " + why));
}

}  // namespace

// What an edit leaves for Modify: files it made (removed again when the list cannot
// be written), a file to remove once the list is written, and whether the list changed.
struct ProfileListModel::Change {
    std::vector<std::filesystem::path> created;
    std::optional<std::filesystem::path> removeAfter;
    bool listChanged = true;
};

std::string ImportRefusal(const Json::Value& document) {
    if (!document.isObject()) return "it is not a JSON object";
    const Json::Value& name = JsonMember(document, "profilename");
    const Json::Value& uuid = JsonMember(document, "profileUUID");
    if (name.isNull() || uuid.isNull()) return "it has no \"profilename\" and \"profileUUID\"";
    if (!name.isString()) return "its \"profilename\" is not a string";
    if (!uuid.isString()) return "its \"profileUUID\" is not a string";
    if (!IsUsableId(uuid.asString())) return "its \"profileUUID\" is not a plain name";
    const Json::Value& device = JsonMember(document, "Device");
    if (!device.isNull()) {
        if (!device.isArray()) return "its \"Device\" is not a list";
        for (const Json::Value& entry : device)
            if (!entry.isObject()) return "its \"Device\" list holds something else than objects";
    }
    return {};
}

namespace {

struct KindMarks {
    int kind;
    const char* name;
    std::initializer_list<const char*> sections;  // members of a "Device" entry
    std::initializer_list<const char*> system;    // members of its "SystemStages"
};
// What each kind's profile carries and no other kind's does. The mouse pad has
// lighting only, so nothing marks it.
const KindMarks kKindMarks[] = {
    {1,
     "keyboard",
     {"AudioLightInfo", "CustomLightMode"},
     {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"}},
    {2,
     "mouse",
     {"DPIStages", "ReportStages", "CorrectInfo"},
     {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage", "WheelScorlllinse"}},
    {3, "mouse pad", {}, {}},
    {7,
     "headset",
     {"SystemSetStages", "EQHzValueInfo", "CustomEQNameInfo", "CustomEQHzValueInfo"},
     {}},
};

bool Carries(const Json::Value& entry, const KindMarks& marks) {
    for (const char* key : marks.sections)
        if (!JsonMember(entry, key).isNull()) return true;
    const Json::Value& system = JsonMember(entry, "SystemStages");
    for (const char* key : marks.system)
        if (!JsonMember(system, key).isNull()) return true;
    return false;
}

}  // namespace

std::string KindRefusal(const Json::Value& document, int deviceKind) {
    // A keyboard or mouse through its receiver keeps the same profiles.
    if (deviceKind == 9) deviceKind = 1;
    if (deviceKind == 6) deviceKind = 2;
    const KindMarks* own = nullptr;
    for (const KindMarks& marks : kKindMarks)
        if (marks.kind == deviceKind) own = &marks;
    if (own == nullptr) return {};
    const Json::Value& device = JsonMember(document, "Device");
    if (!device.isArray()) return {};
    for (const Json::Value& entry : device)
        for (const KindMarks& marks : kKindMarks)
            if (&marks != own && Carries(entry, marks))
                return std::string("it is a ") + marks.name + " profile, and this is the " +
                       own->name + "'s list";
    return {};
}

ListedSave SaveIfListed(const std::filesystem::path& file, const std::function<bool()>& save) {
    const std::filesystem::path folder = file.parent_path();
    FileLock lock(folder / ".ProfileList.lock");  // the list's own lock, as every change takes it
    const Json::Value list = ReadJsonFile(folder / kProfileListFile);
    for (const Json::Value& element : ListOf(list)) {
        const std::string uuid = EntryOf(element).uuid;
        if (IsUsableId(uuid) && uuid + ".Json" == file.filename().string())
            return save() ? ListedSave::Saved : ListedSave::Failed;
    }
    return ListedSave::NotListed;
}

ProfileListModel::ProfileListModel(std::filesystem::path userDeviceFolder,
                                   std::filesystem::path defaultProfilePath, int deviceKind)
    : folder_(std::move(userDeviceFolder)),
      defaultProfile_(std::move(defaultProfilePath)),
      deviceKind_(deviceKind) {}

std::vector<std::string> ProfileListModel::Names() const {
    std::vector<std::string> names;
    for (const ProfileEntry& entry : entries_) names.push_back(entry.name);
    return names;
}

std::string ProfileListModel::SelectedUUID() const {
    return selectedUUID_;
}

std::optional<std::filesystem::path> ProfileListModel::PathAt(std::size_t index) const {
    if (index >= entries_.size() || !IsUsableId(entries_[index].uuid)) return std::nullopt;
    return folder_ / (entries_[index].uuid + ".Json");
}

std::optional<std::filesystem::path> ProfileListModel::SelectedPath() const {
    if (selected_ < 0) return std::nullopt;
    return PathAt(std::size_t(selected_));
}

void ProfileListModel::Mirror(const Json::Value& list) {
    const Json::Value& elements = ListOf(list);
    entries_ = ReadArray(elements, elements.size(), EntryOf);
    // An index outside the list counts as 0; the list is never grown to reach it.
    int select = JsonInt(list, kSelect, 0);
    if (select < 0 || std::size_t(select) >= entries_.size()) select = 0;
    selected_ = entries_.empty() ? -1 : select;
    selectedUUID_ = entries_.empty() ? std::string() : entries_[std::size_t(select)].uuid;
}

int ProfileListModel::FindSelected(const Json::Value& list) const {
    const Json::Value& elements = ListOf(list);
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i)
        if (!selectedUUID_.empty() && EntryOf(elements[i]).uuid == selectedUUID_) return int(i);
    return -1;
}

std::string ProfileListModel::NewIdentifier(const Json::Value& list) const {
    // Another process may hold an identifier of the same millisecond: it has a file by
    // then (files are made under the lock), or an entry in the list.
    return MakeTimeStampIdentifier([&](const std::string& id) {
        for (const Json::Value& element : ListOf(list))
            if (EntryOf(element).uuid == id) return true;
        std::error_code error;
        return std::filesystem::exists(folder_ / (id + ".Json"), error) || error;
    });
}

bool ProfileListModel::WriteProfile(Json::Value document, const ProfileEntry& entry,
                                    Change& change) const {
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    document["profilename"] = entry.name;
    document["profileUUID"] = entry.uuid;
    const std::filesystem::path path = folder_ / (entry.uuid + ".Json");
    if (!WriteJsonFile(path, document)) return false;
    change.created.push_back(path);
    return true;
}

bool ProfileListModel::CreateFirstProfile(Json::Value& list, Change& change) const {
    const ProfileEntry entry{DefaultProfileName({}), NewIdentifier(list)};
    if (!WriteProfile(ReadJsonFile(defaultProfile_), entry, change)) return false;
    ArrayMember(list, kList) = Json::Value(Json::arrayValue);
    list[kList].append(MakeEntry(entry));
    list[kSelect] = 0;
    return true;
}

bool ProfileListModel::RebuildFromProfileFiles(Json::Value& list) const {
    // The profile files name themselves, so a damaged list loses no profile.
    std::vector<ProfileEntry> found;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
        if (item.path().extension() != ".Json") continue;
        const Json::Value document = ReadJsonFile(item.path());
        if (!ImportRefusal(document).empty() || !KindRefusal(document, deviceKind_).empty())
            continue;
        ProfileEntry entry = EntryOf(document);
        if (entry.uuid == item.path().stem().string()) found.push_back(std::move(entry));
    }
    // Identifiers are creation times, so their order is the order the list had.
    std::sort(found.begin(), found.end(),
              [](const ProfileEntry& a, const ProfileEntry& b) { return a.uuid < b.uuid; });
    list[kList] = Json::Value(Json::arrayValue);
    for (const ProfileEntry& entry : found) list[kList].append(MakeEntry(entry));
    list[kSelect] = 0;
    if (!found.empty()) DebugPrintf("profile list rebuilt from %zu files\n", found.size());
    return !found.empty();
}

ProfileOutcome ProfileListModel::Modify(const Edit& edit) {
    const std::filesystem::path path = folder_ / kProfileListFile;
    FileLock lock(folder_ / ".ProfileList.lock");
    const JsonDocument before = ReadJsonDocument(path);
    std::optional<Json::Value> list = ReadForUpdate(path, kList);
    if (!list)
        return Fail(ProfileStatus::ReadFailed,
                    "could not read " + path.string() + "; nothing was changed");
    Change change;
    bool created = false;
    if (ListOf(*list).empty()) {
        const bool damaged =
            before.state == FileState::Corrupt ||
            (before.state == FileState::Parsed && !HoldsArrayOrNothing(before.value, kList));
        if (!(damaged && RebuildFromProfileFiles(*list)) && !CreateFirstProfile(*list, change)) {
            const ProfileOutcome failed = NotWritten(folder_ / "<new profile>.Json");
            Mirror(Json::Value());
            return failed;
        }
        created = true;
    }
    ProfileOutcome outcome = edit(*list, change);
    if ((created || (outcome && change.listChanged)) && !WriteJsonFile(path, *list)) {
        outcome = NotWritten(path);
        std::error_code ignored;
        for (const auto& made : change.created) std::filesystem::remove(made, ignored);
        Mirror(before.state == FileState::Parsed ? before.value : Json::Value());
        return outcome;
    }
    if (outcome && change.removeAfter) {
        std::error_code ignored;
        std::filesystem::remove(*change.removeAfter, ignored);
    }
    Mirror(*list);
    return outcome;
}

ProfileOutcome ProfileListModel::Load() {
    return Modify([](Json::Value&, Change& change) {
        change.listChanged = false;
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Select(int index) {
    if (index < 0 || std::size_t(index) >= entries_.size())
        return Fail(ProfileStatus::Refused, "there is no profile " + std::to_string(index));
    const std::string uuid = entries_[std::size_t(index)].uuid;
    return Modify([&](Json::Value& list, Change&) {
        const Json::Value& elements = ListOf(list);
        for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
            if (EntryOf(elements[i]).uuid != uuid) continue;
            list[kSelect] = int(i);
            return ProfileOutcome{};
        }
        return Fail(ProfileStatus::Refused, "that profile was removed meanwhile");
    });
}

ProfileOutcome ProfileListModel::Add() {
    return Modify([&](Json::Value& list, Change& change) {
        if (ListOf(list).size() >= kMaxAddedProfiles)
            return Fail(ProfileStatus::Limit, "there are already " +
                                                  std::to_string(kMaxAddedProfiles) +
                                                  " profiles; delete one first");
        const ProfileEntry entry{DefaultProfileName(NamesOf(list)), NewIdentifier(list)};
        if (!WriteProfile(ReadJsonFile(defaultProfile_), entry, change))
            return NotWritten(folder_ / (entry.uuid + ".Json"));
        list[kSelect] = int(ListOf(list).size());
        list[kList].append(MakeEntry(entry));
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Copy() {
    return Modify([&](Json::Value& list, Change& change) {
        const int source = FindSelected(list);
        if (source < 0) return Fail(ProfileStatus::Refused, "no profile is selected");
        const ProfileEntry from = EntryOf(ListOf(list)[Json::ArrayIndex(source)]);
        const ProfileEntry entry{CopyProfileName(from.name, NamesOf(list)), NewIdentifier(list)};
        if (auto refused = RefusedName(entry.name,
                                       "a copy cannot be named after this profile; "
                                       "rename it first"))
            return *refused;
        Json::Value document;
        if (IsUsableId(from.uuid)) document = ReadJsonFile(folder_ / (from.uuid + ".Json"));
        if (!WriteProfile(document, entry, change))
            return NotWritten(folder_ / (entry.uuid + ".Json"));
        list[kList].append(MakeEntry(entry));
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Delete() {
    return Modify([&](Json::Value& list, Change& change) {
        const int index = FindSelected(list);
        if (index < 0) return Fail(ProfileStatus::Refused, "no profile is selected");
        if (ListOf(list).size() < 2)
            return Fail(ProfileStatus::LastProfile, "the last profile cannot be deleted");
        const std::string uuid = EntryOf(ListOf(list)[Json::ArrayIndex(index)]).uuid;
        if (IsUsableId(uuid)) change.removeAfter = folder_ / (uuid + ".Json");
        Json::Value removed;
        list[kList].removeIndex(Json::ArrayIndex(index), &removed);
        list[kSelect] = index == 0 ? 0 : index - 1;
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Rename(std::string_view text) {
    const std::string name = TrimmedName(text);
    if (name.empty()) return {ProfileStatus::Blank, "the name is empty"};
    if (auto refused = RefusedName(name, "the profile cannot be renamed")) return *refused;
    return Modify([&](Json::Value& list, Change&) {
        const int index = FindSelected(list);
        if (index < 0) return Fail(ProfileStatus::Refused, "no profile is selected");
        if (NameTaken(NamesOf(list), name, index))
            return ProfileOutcome{ProfileStatus::Duplicate,
                                  "another profile is already named \"" + name + "\""};
        Json::Value& element = ObjectElement(list[kList], Json::ArrayIndex(index));
        element["profilename"] = name;
        const std::string uuid = EntryOf(element).uuid;
        if (!IsUsableId(uuid)) return ProfileOutcome{};
        const std::filesystem::path path = folder_ / (uuid + ".Json");
        if (!UpdateJsonFile(path, [&](Json::Value& root) { root["profilename"] = name; }))
            return NotWritten(path);
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Import(const std::filesystem::path& file) {
    std::string why;
    const std::optional<std::string> text = ReadTextFile(file, &why);
    if (!text)
        return Fail(ProfileStatus::ReadFailed, "cannot import " + file.string() + ": " + why);
    const std::optional<Json::Value> document = ParseJsonText(*text);
    if (!document || text->empty())
        return Fail(ProfileStatus::BadFile, file.string() + " is not a JSON file");
    if (std::string refusal = ImportRefusal(*document); !refusal.empty())
        return Fail(ProfileStatus::BadFile, file.string() + " is not a profile file: " + refusal);
    if (std::string refusal = KindRefusal(*document, deviceKind_); !refusal.empty())
        return Fail(ProfileStatus::BadFile, file.string() + " cannot be imported: " + refusal);
    // A title in another encoding still names the profile, as the JSON library would
    // store it anyway.
    const std::string title = ValidUtf8(file.stem().string());
    return Modify([&](Json::Value& list, Change& change) {
        const ProfileEntry entry{ImportProfileName(title, NamesOf(list)), NewIdentifier(list)};
        if (auto refused =
                RefusedName(entry.name, "the file's name cannot name a profile; rename the file"))
            return *refused;
        if (!WriteProfile(*document, entry, change))
            return NotWritten(folder_ / (entry.uuid + ".Json"));
        list[kList].append(MakeEntry(entry));
        return ProfileOutcome{};
    });
}

ProfileOutcome ProfileListModel::Export(const std::filesystem::path& file, bool overwrite) const {
    const std::optional<std::filesystem::path> source = SelectedPath();
    if (!source) return Fail(ProfileStatus::Refused, "no profile is selected");
    const JsonDocument read = ReadJsonDocument(*source);
    if (read.state != FileState::Parsed || !read.value.isObject())
        return Fail(ProfileStatus::ReadFailed, "could not read the profile " + source->string());
    std::error_code error;
    if (!overwrite && std::filesystem::exists(std::filesystem::symlink_status(file, error)))
        return Fail(ProfileStatus::Exists, file.string() + " already exists");
    // The names go in even when an old file lacks them, so the export can be imported.
    Json::Value document = read.value;
    document["profilename"] = entries_[std::size_t(selected_)].name;
    document["profileUUID"] = entries_[std::size_t(selected_)].uuid;
    if (!WriteJsonFile(file, document)) return NotWritten(file);
    return {};
}

ProfileOutcome ProfileListModel::Reset() {
    return Modify([&](Json::Value& list, Change& change) {
        change.listChanged = false;
        const int index = FindSelected(list);
        if (index < 0) return Fail(ProfileStatus::Refused, "no profile is selected");
        const ProfileEntry entry = EntryOf(ListOf(list)[Json::ArrayIndex(index)]);
        if (!IsUsableId(entry.uuid))
            return Fail(ProfileStatus::Refused, "the profile's identifier is not a plain name");
        const std::filesystem::path path = folder_ / (entry.uuid + ".Json");
        Json::Value document = ReadJsonFile(defaultProfile_);
        if (deviceKind_ == kHeadsetKind) {
            // The user's own equaliser settings are not part of the defaults.
            const Json::Value current = ReadJsonFile(path);
            const Json::Value& from = JsonElement(JsonMember(current, "Device"), 0);
            for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"})
                if (JsonMember(from, key).isArray())
                    ObjectElement(ArrayMember(document, "Device"), 0)[key] = from[key];
        }
        Change ignored;
        if (!WriteProfile(document, entry, ignored)) return NotWritten(path);
        return ProfileOutcome{};
    });
}

}  // namespace vivori::profiles
