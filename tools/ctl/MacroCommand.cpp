// vivori-ctl macro: the macros of a keyboard or mouse, as files (list, import,
// export, delete) and as the device's macro memory with the key table (upload).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "KeysAndMacros.h"
#include "MacroRecord.h"
#include "Text.h"
#include "devices/CQuorvaneKeyboardDevice.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {
namespace {

using macros::MacroLibrary;

bool ParseIndex(const std::string& text, size_t& index) {
    const auto number = ParseNumber(text, 0xFFFF);
    if (number) index = *number;
    return number.has_value();
}

int List(const MacroLibrary& library, bool json) {
    const macros::MacroList read = library.ReadList();
    if (!read.known) return Fail(read.problem);
    const auto& list = read.entries;
    if (json) {
        Json::Value document(Json::objectValue);
        Json::Value& macros = document["macros"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < list.size(); ++i) {
            Json::Value entry(Json::objectValue);
            entry["index"] = Json::UInt(i);
            entry["name"] = list[i].name;
            entry["guid"] = list[i].guid;
            entry["events"] = Json::UInt(library.Events(i).size());
            macros.append(entry);
        }
        PrintJson(document);
        return 0;
    }
    if (list.empty()) std::printf("no macros\n");
    for (size_t i = 0; i < list.size(); ++i)
        std::printf("%-3zu %-24s %-26s %zu events\n", i, list[i].name.c_str(), list[i].guid.c_str(),
                    library.Events(i).size());
    return 0;
}

int Import(MacroLibrary& library, const std::string& file) {
    const auto result = library.Import(file);
    if (!result) return Fail("import of " + file + " refused: " + result.message);
    for (const auto& note : result.notes) std::printf("corrected %s\n", note.c_str());
    const auto list = library.List();
    std::printf("imported %s as \"%s\" (macro %zu)\n", file.c_str(), list.back().name.c_str(),
                list.size() - 1);
    return 0;
}

std::string PathList(const std::vector<std::filesystem::path>& paths) {
    std::string text;
    for (const auto& path : paths) text += "\n  " + path.string();
    return text;
}

int Delete(MacroLibrary& library, const profiles::DataFolders& folders, std::string_view folder,
           size_t index, bool confirmed) {
    const macros::MacroList list = library.ReadList();
    if (!list.known) return Fail(list.problem);
    if (index >= list.entries.size()) return Fail("no macro " + std::to_string(index));
    // Everything is worked out before anything is written, so a refusal changes nothing.
    const auto plan = macros::PlanMacroDeletion(folders, folder, index);
    if (!plan.unreadableProfiles.empty() && !confirmed)
        return Fail(
            "these profiles could not be read, so their keys cannot be repaired; once they "
            "are mended, their keys after this macro would play the next one:" +
            PathList(plan.unreadableProfiles) + "\nadd --yes to delete the macro anyway");
    if (plan.selectedProfileUsesMacro && !confirmed)
        return Fail(
            "keys of the current profile play this macro; add --yes to give them their "
            "default functions back and delete it");
    const auto result = macros::DeleteMacroWithRepair(library, folders, folder, plan, index);
    if (!result) return Fail("delete refused: " + result.message);
    std::printf("deleted macro %zu; %zu profile(s) repaired\n", index,
                plan.profilesToRepair.size());
    for (const auto& path : plan.unreadableProfiles)
        std::printf("not repaired (unreadable): %s\n", path.c_str());
    return 0;
}

// The macros the current profile's keys play, in the order the key table numbers
// them, and the key table itself in the same run: uploading the list in any other
// order would make keys play each other's macros.
int Upload(const Options& given) {
    Options options = given;
    options.device = given.kind;
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    std::unique_ptr<devices::CQuorvaneUSBDevice> device;
    if (given.kind == "mouse")
        device = std::make_unique<devices::CQuorvaneMouseDevice>(bus);
    else
        device = std::make_unique<devices::CQuorvaneKeyboardDevice>(bus);
    if (!OpenCommandTransport(options, bus, device->Commands(), &error)) return Fail(error);
    if (int r = device->ReadKeyMaps(); r != CMD_OK) return CommandFailed("device read", r);
    device->LoadProfile();
    devices::KeysAndMacrosResult result;
    const KeysWritten written = WriteKeysAndMacros(*device, given.kind, &result);
    if (written == KeysWritten::Nothing) return kExitFailure;
    std::printf("uploaded %zu macros (%zu bytes) and the key table that plays them\n",
                result.usedMacros.size(), result.macros.bytes);
    return written == KeysWritten::All ? 0 : kExitFailure;
}

int RunMacro(const Options& options) {
    if (options.kind != "keyboard" && options.kind != "mouse")
        return Fail("macros belong to a keyboard or a mouse (--kind keyboard|mouse)"), kExitUsage;
    if (options.json && (options.args.empty() || options.args[0] != "list"))
        return Fail("--json goes with macro list"), kExitUsage;
    // record reads its own options in order ("--timing 1").
    if (!options.args.empty() && options.args[0] == "record") return RecordMacro(options.args);
    const Arguments split = SplitArguments(options.args);
    if (int refused = RefuseUnknownFlags(split, {"--force", "--yes"})) return refused;
    const auto& args = split.words;
    const std::string action = args.empty() ? "" : args[0];
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    const std::string_view folder = DeviceFolderOfKind(options.kind);
    MacroLibrary library(folders.DataFolder(folder));
    size_t index = 0;
    if (action == "list" && args.size() == 1) return List(library, options.json);
    if (action == "import" && args.size() == 2) return Import(library, args[1]);
    if (action == "upload" && args.size() == 1) return Upload(options);
    if (action == "export" && args.size() == 3 && ParseIndex(args[1], index)) {
        const auto result = library.Export(index, args[2], split.Has("--force"));
        if (!result) return Fail("export refused: " + result.message);
        return 0;
    }
    if (action == "delete" && args.size() == 2 && ParseIndex(args[1], index))
        return Delete(library, folders, folder, index, split.Has("--yes"));
    return Fail(
               "usage: macro list | import FILE | export INDEX FILE [--force] | "
               "delete INDEX [--yes] | upload | record --timing 1|2|3 [--constant MS]"),
           kExitUsage;
}

Registrar registrar(
    {.name = "macro",
     .usage = "macro list|import|export|delete|upload|record",
     .summary = "macros of --kind keyboard|mouse; upload writes them to the device",
     .run = &RunMacro,
     .help = "  --kind keyboard|mouse      whose macros (required)\n"
             "  list                       one line each: index, name, Guid, event count\n"
             "  import FILE                a .mac file, named after the file\n"
             "  export INDEX FILE [--force]  macro INDEX; an existing FILE only with --force\n"
             "  delete INDEX [--yes]       --yes when the current profile's keys play it\n"
             "  upload                     the macros the current profile's keys play, and\n"
             "                             the key table that numbers them\n"
             "  record --timing 1|2|3 [--constant MS]\n"
             "                             scripted input on stdin through the recording rules\n"
             "examples:\n"
             "  vivori-ctl --kind keyboard macro list\n"
             "  vivori-ctl --simulate keyboard --kind keyboard macro upload\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
