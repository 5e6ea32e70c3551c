// vivori-ctl profile: show, export and import the current profile of a device kind.
// The current profile is the one "ProfileList.ini" selects; without one, show and
// export fall back to the shipped default copy.

#include <cstdio>
#include <filesystem>
#include <optional>

#include "Ctl.h"
#include "platform/Identifier.h"
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
    std::string why;
    const std::optional<std::string> text = ReadTextFile(file, &why);
    if (!text) return Fail("cannot import " + file + ": " + why);
    const Json::Value imported = ParseJsonText(*text).value_or(Json::Value());
    const Json::Value& entry = JsonElement(JsonMember(imported, "Device"), 0);
    if (!entry.isObject()) return Fail(file + " is not a profile file");
    auto selected = ReadSelectedProfile(folders, folder);
    if (!selected) return Fail("no profile is selected for this kind yet");
    // Only the profile entry is replaced; the name and identifier stay.
    CBasicProfiledata profile;
    if (!profile.SaveDeviceEntry(entry, selected->path))
        return Fail("could not write " + selected->path.string() + ": " + LastWriteError());
    std::printf("imported %s into \"%s\"\n", file.c_str(), selected->name.c_str());
    return 0;
}

// An export is a file another import must accept, so the default copy gets the two
// name keys every profile file carries: the export's file title and a new identifier.
int Export(Json::Value document, const std::string& file, bool overwrite) {
    std::error_code ec;
    if (!overwrite && std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
        return Fail(file + " already exists; add --force to overwrite it");
    if (!document.isMember("profilename"))
        document["profilename"] = std::filesystem::path(file).stem().string();
    if (!document.isMember("profileUUID")) document["profileUUID"] = MakeTimeStampIdentifier();
    if (!WriteJsonFile(file, document))
        return Fail("could not write " + file + ": " + LastWriteError());
    return 0;
}

int RunProfile(const Options& options) {
    std::string_view folder = DeviceFolderOfKind(options.kind);
    if (folder.empty()) return Fail("unknown kind " + options.kind), kExitUsage;
    const auto& args = options.args;
    std::string action = args.empty() ? "" : args[0];
    const bool force = args.size() == 3 && args[2] == "--force" && action == "export";
    bool needsFile = action == "export" || action == "import";
    if ((action != "show" && !needsFile) || args.size() != (needsFile ? 2u : 1u) + force)
        return Fail("usage: profile show | profile export FILE [--force] | profile import FILE"),
               kExitUsage;

    DataFolders folders = DataFolders::FromEnvironment();
    if (action == "import") return Import(folders, folder, args[1]);
    auto document = CurrentDocument(folders, folder);
    if (!document) return Fail("no profile and no default copy for " + options.kind);
    if (action == "show") {
        std::fputs(StyledJson((*document)["Device"][0]).c_str(), stdout);
        return 0;
    }
    return Export(std::move(*document), args[1], force);
}

Registrar registrar({"profile", "profile show|export FILE [--force]|import FILE",
                     "the current profile of --kind (show, export, import)", &RunProfile});

}  // namespace
}  // namespace vivori::ctl
