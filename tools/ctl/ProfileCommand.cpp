// vivori-ctl profile: show, export and import the current profile of a device kind.
// The current profile is the one "ProfileList.ini" selects; without one, show and
// export fall back to the shipped default copy.

#include <cstdio>
#include <optional>

#include "Ctl.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileSelection.h"

namespace vivori::ctl {
namespace {

using namespace vivori::profiles;

// The current profile document, or the default copy when there is no usable one.
std::optional<Json::Value> CurrentDocument(const DataFolders& folders, std::string_view folder) {
    if (auto selected = ReadSelectedProfile(folders, folder)) {
        Json::Value document = ReadJsonFile(selected->path);
        if (JsonElement(JsonMember(document, "Device"), 0).isObject()) return document;
        std::fprintf(stderr, "vivori-ctl: %s is missing or unreadable; using the default copy\n",
                     selected->path.c_str());
    }
    Json::Value fallback = ReadJsonFile(folders.DefaultDataFile(folder));
    if (!JsonElement(JsonMember(fallback, "Device"), 0).isObject()) return std::nullopt;
    return fallback;
}

int Import(const DataFolders& folders, std::string_view folder, const std::string& file) {
    Json::Value imported = ReadJsonFile(file);
    const Json::Value& entry = JsonElement(JsonMember(imported, "Device"), 0);
    if (!entry.isObject()) return Fail(file + " is not a profile file");
    auto selected = ReadSelectedProfile(folders, folder);
    if (!selected) return Fail("no profile is selected for this kind yet");
    // Only the profile entry is replaced; the name and identifier stay.
    CBasicProfiledata profile;
    if (!profile.SaveDeviceEntry(entry, selected->path))
        return Fail("could not write " + selected->path.string());
    std::printf("imported %s into \"%s\"\n", file.c_str(), selected->name.c_str());
    return 0;
}

int RunProfile(const Options& options) {
    std::string_view folder = DeviceFolderOfKind(options.kind);
    if (folder.empty()) return Fail("unknown kind " + options.kind), kExitUsage;
    const auto& args = options.args;
    std::string action = args.empty() ? "" : args[0];
    bool needsFile = action == "export" || action == "import";
    if ((action != "show" && !needsFile) || args.size() != (needsFile ? 2u : 1u))
        return Fail("usage: profile show | profile export FILE | profile import FILE"), kExitUsage;

    DataFolders folders = DataFolders::FromEnvironment();
    if (action == "import") return Import(folders, folder, args[1]);
    auto document = CurrentDocument(folders, folder);
    if (!document) return Fail("no profile and no default copy for " + options.kind);
    if (action == "show") {
        std::fputs(StyledJson((*document)["Device"][0]).c_str(), stdout);
        return 0;
    }
    if (!WriteJsonFile(args[1], *document)) return Fail("could not write " + args[1]);
    return 0;
}

Registrar registrar({"profile", "profile show|export FILE|import FILE",
                     "the current profile of --kind (show, export, import)", &RunProfile});

}  // namespace
}  // namespace vivori::ctl
