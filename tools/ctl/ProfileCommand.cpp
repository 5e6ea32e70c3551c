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

// A new profile is the last entry; `done` names it.
int Report(const ProfileOutcome& outcome, const char* done, const ProfileListModel& model) {
    if (!outcome) return Fail(outcome.message);
    if (done != nullptr) std::printf(done, model.Entries().back().name.c_str());
    return 0;
}

// The name padded to 24 characters (not bytes), so the identifiers line up.
std::string Padded(const std::string& name) {
    std::size_t characters = 0;
    for (unsigned char c : name) characters += (c & 0xC0) != 0x80;
    return name + std::string(characters < 24 ? 24 - characters : 1, ' ');
}

int List(const ProfileListModel& model) {
    const auto& entries = model.Entries();
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
    const bool oneArgument = action == "rename" || action == "select" || action == "import" ||
                             action == "export";
    const bool known = oneArgument || action == "list" || action == "show" || action == "add" ||
                       action == "copy" || action == "delete" || action == "reset";
    if (!known || args.size() != (oneArgument ? 2u : 1u)) return Fail(kUsage), kExitUsage;

    const DataFolders folders = DataFolders::FromEnvironment();
    ProfileListModel model(folders.DataFolder(folderName), folders.DefaultDataFile(folderName),
                           DeviceKindOf(options.kind));
    if (ProfileOutcome loaded = model.Load(); !loaded) return Fail(loaded.message);

    if (action == "list") return List(model);
    if (action == "show") return Show(model);
    if (action == "add") return Report(model.Add(), "added \"%s\"\n", model);
    if (action == "copy") return Report(model.Copy(), "copied as \"%s\"\n", model);
    if (action == "import") return Report(model.Import(args[1]), "imported as \"%s\"\n", model);
    if (action == "delete") return Report(model.Delete(), nullptr, model);
    if (action == "rename") return Report(model.Rename(args[1]), nullptr, model);
    if (action == "export") {
        const ProfileOutcome outcome = model.Export(args[1], split.Has("--force"));
        if (outcome.status == ProfileStatus::Exists)
            return Fail(args[1] + " exists; add --force to overwrite it");
        return Report(outcome, nullptr, model);
    }
    if (action == "select") {
        const auto index = ParseNumber(args[1], 0x7fffffff);
        if (!index) return Fail("select needs a profile number"), kExitUsage;
        return Report(model.Select(int(*index)), nullptr, model);
    }
    // reset: the application asks first; here the question is --yes.
    if (!split.Has("--yes"))
        return Fail("reset puts every setting of \"" +
                    model.Entries()[std::size_t(model.Selected())].name +
                    "\" back to the defaults; add --yes to do it");
    return Report(model.Reset(), nullptr, model);
}

Registrar registrar({"profile",
                     "profile list|show|add|copy|rename|delete|select|import|export|reset",
                     "the profiles of --kind (see README)", &RunProfile});

}  // namespace
}  // namespace vivori::ctl
