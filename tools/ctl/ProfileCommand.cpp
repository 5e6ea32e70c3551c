// vivori-ctl profile: the profile list of a device kind, with the rules the
// application's profile panel follows (they live in ProfileListModel), and the
// current profile's settings (show).

#include <cstdio>
#include <optional>

#include "Ctl.h"
#include "Text.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileListModel.h"

namespace vivori::ctl {
namespace {

using namespace vivori::profiles;

constexpr const char* kUsage =
    "usage: profile list | show | add | copy | rename NAME | delete | select N | "
    "import FILE | export FILE [--force] | reset --yes";

int DeviceKindOf(const std::string& kind) {
    if (kind == "keyboard") return 1;
    if (kind == "mouse") return 2;
    if (kind == "pad") return 3;
    return 7;
}

// The selected profile's name in quotes.
std::string Quoted(const ProfileListModel& model) {
    const int selected = model.Selected();
    return selected < 0 ? "none" : "\"" + model.Entries()[std::size_t(selected)].name + "\"";
}

// `done` names the profile worked on: the new last entry or the selected one.
int Report(const ProfileOutcome& outcome, const char* done, const ProfileListModel& model,
           bool added = false) {
    if (!outcome) return Fail(outcome.message);
    const std::string name = added ? "\"" + model.Entries().back().name + "\"" : Quoted(model);
    std::printf(done, name.c_str());
    return 0;
}

// The name padded to 24 characters (not bytes), so the identifiers line up. A control
// character that an older list may hold shows as "?", so each profile keeps one line.
std::string Padded(std::string name) {
    std::size_t characters = 0;
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return name + std::string(characters < 24 ? 24 - characters : 1, ' ');
}

int List(const ProfileListModel& model, bool json) {
    const auto& entries = model.Entries();
    if (json) {
        Json::Value document(Json::objectValue);
        document["selected"] =
            model.Selected() >= 0 ? Json::Value(model.Selected()) : Json::Value();
        Json::Value& list = document["profiles"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["index"] = Json::UInt(i);
            entry["name"] = entries[i].name;
            entry["uuid"] = entries[i].uuid;
            entry["selected"] = int(i) == model.Selected();
            list.append(entry);
        }
        PrintJson(document);
        return 0;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::printf("%-3zu %c %s%s\n", i, int(i) == model.Selected() ? '*' : ' ',
                    Padded(entries[i].name).c_str(), entries[i].uuid.c_str());
    return 0;
}

int Show(const ProfileListModel& model) {
    const auto path = model.SelectedPath();
    const Json::Value document = path ? ReadJsonFile(*path) : Json::Value();
    const Json::Value& entry = JsonElement(JsonMember(document, "Device"), 0);
    if (!entry.isObject())
        return Fail("the profile file of \"" + model.Entries()[std::size_t(model.Selected())].name +
                    "\" is missing or damaged");
    std::fputs(StyledJson(entry).c_str(), stdout);
    return 0;
}

int RunProfile(const Options& options) {
    const std::string_view folderName = DeviceFolderOfKind(options.kind);
    if (folderName.empty()) return Fail("unknown kind " + options.kind), kExitUsage;
    const Arguments split = SplitArguments(options.args);
    if (int refused = RefuseUnknownFlags(split, {"--force", "--yes"})) return refused;
    const auto& args = split.words;
    const std::string action = args.empty() ? "" : args[0];
    const bool oneArgument =
        action == "rename" || action == "select" || action == "import" || action == "export";
    const bool known = oneArgument || action == "list" || action == "show" || action == "add" ||
                       action == "copy" || action == "delete" || action == "reset";
    if (!known || args.size() != (oneArgument ? 2u : 1u)) return Fail(kUsage), kExitUsage;
    if (options.json && action != "list" && action != "show")
        return Fail("--json goes with profile list and profile show"), kExitUsage;

    const DataFolders folders = DataFolders::FromEnvironment();
    ProfileListModel model(folders.DataFolder(folderName), folders.DefaultDataFile(folderName),
                           DeviceKindOf(options.kind));
    if (ProfileOutcome loaded = model.Load(); !loaded) return Fail(loaded.message);

    if (action == "list") return List(model, options.json);
    if (action == "show") return Show(model);
    if (action == "add") return Report(model.Add(), "added %s\n", model, true);
    if (action == "copy") return Report(model.Copy(), "copied as %s\n", model, true);
    if (action == "import") return Report(model.Import(args[1]), "imported as %s\n", model, true);
    const std::string current = Quoted(model);
    if (action == "delete") {
        if (ProfileOutcome outcome = model.Delete(); !outcome) return Fail(outcome.message);
        std::printf("deleted %s; %s is selected\n", current.c_str(), Quoted(model).c_str());
        return 0;
    }
    if (action == "rename") return Report(model.Rename(args[1]), "renamed to %s\n", model);
    if (action == "export") {
        const ProfileOutcome outcome = model.Export(args[1], split.Has("--force"));
        if (outcome.status == ProfileStatus::Exists)
            return Fail(args[1] + " already exists; add --force to overwrite it");
        if (!outcome) return Fail(outcome.message);
        std::printf("exported %s to %s\n", current.c_str(), args[1].c_str());
        return 0;
    }
    if (action == "select") {
        const auto index = ParseNumber(args[1], 0x7fffffff);
        if (!index) return Fail("select needs a profile number"), kExitUsage;
        return Report(model.Select(int(*index)), "selected %s\n", model);
    }
    // reset: the application asks first; here the question is --yes.
    if (!split.Has("--yes"))
        return Fail("reset puts every setting of " + current +
                    " back to the defaults; add --yes to do it");
    return Report(model.Reset(), "reset %s to the defaults\n", model);
}

Registrar registrar(
    {.name = "profile",
     .usage = "profile list|show|add|copy|rename|delete|select|import|export|reset",
     .summary = "the profiles of --kind, with the rules of the application's profile panel",
     .run = &RunProfile,
     .help = "  --kind keyboard|mouse|pad|headset  whose profiles (default: the --device)\n"
             "  list             one line each: index, * on the selected one, name, UUID\n"
             "  show             the selected profile's settings (a JSON document already)\n"
             "  add | copy       a new profile \"Профиль<n>\" | \"<name> copy\" of the selected\n"
             "  rename NAME      the selected one; refused when another has NAME (any case)\n"
             "  delete           the selected one, while two or more remain\n"
             "  select N         profile N (an index as list prints it)\n"
             "  import FILE      a new profile named after the file\n"
             "  export FILE [--force]  the selected one; an existing FILE only with --force\n"
             "  reset --yes      the selected one back to the defaults\n"
             "examples:\n"
             "  vivori-ctl --kind pad profile list\n"
             "  vivori-ctl --kind mouse profile select 0\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
