// vivori-ctl macro: the macros of a keyboard or mouse, as files (list, import,
// export, delete) and as the device's macro memory (upload).

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "MacroRecord.h"
#include "macros/MacroAssignments.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroUpload.h"
#include "profiles/DataFolders.h"

namespace vivori::ctl {
namespace {

using macros::MacroLibrary;

bool ParseIndex(const std::string& text, size_t& index) {
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') return false;
    index = v;
    return true;
}

bool HasFlag(const std::vector<std::string>& args, const char* flag) {
    for (const auto& a : args)
        if (a == flag) return true;
    return false;
}

int List(const MacroLibrary& library) {
    const auto list = library.List();
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

int Delete(MacroLibrary& library, const profiles::DataFolders& folders, std::string_view folder,
           size_t index, bool confirmed) {
    if (index >= library.List().size()) return Fail("no macro " + std::to_string(index));
    // Everything is worked out before anything is written, so a refusal changes nothing.
    const auto plan = macros::PlanMacroDeletion(folders, folder, index);
    if (plan.selectedProfileUsesMacro && !confirmed)
        return Fail(
            "keys of the current profile play this macro; add --yes to give them their "
            "default functions back and delete it");
    const auto result = macros::DeleteMacroWithRepair(library, folders, folder, plan, index);
    if (!result) return Fail("delete refused: " + result.message);
    std::printf("deleted macro %zu; %zu profile(s) repaired\n", index,
                plan.profilesToRepair.size());
    return 0;
}

int Upload(const Options& options, const MacroLibrary& library) {
    DeviceSession session;
    std::string error;
    session = OpenDevice(options, &error);
    if (!session.transport) return Fail(error);
    const auto macros = library.AllEvents();
    const auto result = macros::UploadMacros(*session.transport, macros);
    if (result.linkDown) return CommandFailed("LinkCheck", CMD_LINK_DOWN);
    if (result.eventsTooMany > 0)
        return Fail("the macros do not fit the device: " + std::to_string(result.eventsTooMany) +
                    " events too many");
    if (result.result != CMD_OK) return CommandFailed("WriteMacroImage", result.result);
    std::printf("uploaded %zu macros (%zu bytes)\n", macros.size(), result.bytes);
    return 0;
}

int RunMacro(const Options& options) {
    if (options.kind != "keyboard" && options.kind != "mouse")
        return Fail("macros belong to a keyboard or a mouse (--kind keyboard|mouse)"), kExitUsage;
    const auto& args = options.args;
    const std::string action = args.empty() ? "" : args[0];
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    const std::string_view folder = DeviceFolderOfKind(options.kind);
    MacroLibrary library(folders.DataFolder(folder));
    size_t index = 0;
    if (action == "record") return RecordMacro(args);
    if (action == "list" && args.size() == 1) return List(library);
    if (action == "import" && args.size() == 2) return Import(library, args[1]);
    if (action == "upload" && args.size() == 1) return Upload(options, library);
    if (action == "export" && (args.size() == 3 || args.size() == 4) &&
        ParseIndex(args[1], index)) {
        const auto result = library.Export(index, args[2], HasFlag(args, "--force"));
        if (!result) return Fail("export refused: " + result.message);
        return 0;
    }
    if (action == "delete" && (args.size() == 2 || args.size() == 3) && ParseIndex(args[1], index))
        return Delete(library, folders, folder, index, HasFlag(args, "--yes"));
    return Fail(
               "usage: macro list | import FILE | export INDEX FILE [--force] | "
               "delete INDEX [--yes] | upload | record --timing 1|2|3 [--constant MS]"),
           kExitUsage;
}

Registrar registrar({"macro", "macro list|import|export|delete|upload|record",
                     "macros of --kind keyboard|mouse; upload writes them to --device", &RunMacro});

}  // namespace
}  // namespace vivori::ctl
