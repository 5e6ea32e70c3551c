// vivori-ctl recoil: the mouse's four recoil patterns ("ShootData_N.Shoot" in the mouse
// folder): show them, import or export one, upload all four as the recoil image.

#include <cstdio>
#include <string>

#include "Ctl.h"
#include "DeviceAccess.h"
#include "Text.h"
#include "devices/CQuorvaneMouseDevice.h"
#include "macros/RecoilPatterns.h"
#include "profiles/DataFolders.h"
#include "profiles/JsonFile.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage =
    "usage: recoil show | recoil import FILE [--pattern N] | recoil export FILE [--pattern N] "
    "[--force] | recoil upload";

int ShowJson(const profiles::DataFolders& folders) {
    const auto user = folders.DataFolder("mouse");
    const auto patterns = macros::ReadRecoilPatterns(user, folders.DefaultDataFolder());
    Json::Value document(Json::objectValue);
    Json::Value& list = document["patterns"] = Json::Value(Json::arrayValue);
    for (int n = 0; n < macros::kRecoilPatternCount; ++n) {
        const auto source = macros::RecoilSource(user, folders.DefaultDataFolder(), n);
        Json::Value pattern(Json::objectValue);
        pattern["index"] = n;
        pattern["source"] = source.string();
        pattern["events"] = Json::UInt(patterns[size_t(n)].size());
        const Json::Value file = profiles::ReadJsonFile(source);
        Json::Value& bullets = pattern["bullets"] = Json::Value(Json::arrayValue);
        for (int b = 0; b < macros::kBulletsPerPattern; ++b) {
            const macros::Bullet bullet = macros::BulletOf(file, b);
            Json::Value entry(Json::objectValue);
            entry["bullet"] = b + 1;
            entry["x"] = bullet.x;
            entry["left"] = bullet.left;
            entry["y"] = bullet.y;
            entry["up"] = bullet.up;
            entry["delay"] = bullet.delay;
            bullets.append(entry);
        }
        list.append(pattern);
    }
    PrintJson(document);
    return 0;
}

int Show(const profiles::DataFolders& folders) {
    const auto user = folders.DataFolder("mouse");
    const auto patterns = macros::ReadRecoilPatterns(user, folders.DefaultDataFolder());
    for (int n = 0; n < macros::kRecoilPatternCount; ++n) {
        const auto source = macros::RecoilSource(user, folders.DefaultDataFolder(), n);
        std::printf("pattern %d (%s): %zu events\n", n, source.c_str(), patterns[size_t(n)].size());
        const Json::Value document = profiles::ReadJsonFile(source);
        for (int b = 0; b < macros::kBulletsPerPattern; ++b) {
            const macros::Bullet bullet = macros::BulletOf(document, b);
            std::printf("  bullet %2d  x %3d %-5s  y %3d %-4s  delay %5d\n", b + 1, bullet.x,
                        bullet.left ? "left" : "right", bullet.y, bullet.up ? "up" : "down",
                        bullet.delay);
        }
    }
    return 0;
}

int Report(const macros::RecoilResult& result, const std::string& done) {
    for (const auto& note : result.notes) std::printf("corrected: %s\n", note.c_str());
    if (!result.ok) return Fail(result.message);
    std::printf("%s\n", done.c_str());
    return 0;
}

int RunRecoil(const Options& given) {
    const auto& args = given.args;
    const std::string action = args.empty() ? "" : args[0];
    std::string file;
    int pattern = 0;
    bool force = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--force") {
            force = true;
        } else if (args[i] == "--pattern" && i + 1 < args.size()) {
            const auto n = ParseNumber(args[++i], macros::kRecoilPatternCount - 1);
            if (!n) return Fail("--pattern takes 0 to 3"), kExitUsage;
            pattern = int(*n);
        } else if (file.empty() && args[i].rfind("--", 0) != 0) {
            file = args[i];
        } else {
            return Fail(kUsage), kExitUsage;
        }
    }
    const bool needsFile = action == "import" || action == "export";
    if ((action != "show" && action != "upload" && !needsFile) || needsFile == file.empty() ||
        (force && action != "export"))
        return Fail(kUsage), kExitUsage;
    const profiles::DataFolders folders = profiles::DataFolders::FromEnvironment();
    const auto user = folders.DataFolder("mouse");
    if (given.json && action != "show") return Fail("--json goes with recoil show"), kExitUsage;
    if (action == "show") return given.json ? ShowJson(folders) : Show(folders);
    if (action == "import")
        return Report(macros::ImportPattern(user, pattern, file),
                      "imported " + file + " as pattern " + std::to_string(pattern));
    if (action == "export")
        return Report(
            macros::ExportPattern(user, folders.DefaultDataFolder(), pattern, file, force),
            "exported pattern " + std::to_string(pattern) + " to " + file);
    Options options = given;
    options.device = "mouse";
    std::string error;
    const auto bus = SelectDeviceBus(options, &error);
    if (!bus) return Fail(error);
    devices::CQuorvaneMouseDevice mouse(bus);
    if (!OpenCommandTransport(options, bus, mouse.Commands(), &error)) return Fail(error);
    const macros::MacroUploadResult result = mouse.WriteShootData();
    if (result.eventsTooMany > 0)
        return Fail("the patterns pass the recoil image's 16-bit limit by " +
                    std::to_string(result.eventsTooMany) + " events; nothing was sent");
    if (result.result != CMD_OK) return CommandFailed("recoil image", result.result);
    std::printf("recoil image: written (%zu bytes)\n", result.bytes);
    return 0;
}

const Registrar registrar(
    {.name = "recoil",
     .usage = "recoil show|import FILE|export FILE [--force]|upload",
     .summary = "the mouse's four recoil patterns (--pattern N, default 0)",
     .run = &RunRecoil,
     .help = "  show                           each pattern's file and its bullets: distances,\n"
             "                                 directions and delay\n"
             "  import FILE [--pattern N]      a .shoot file over pattern N (0-3)\n"
             "  export FILE [--pattern N] [--force]  pattern N to FILE\n"
             "  upload                         the four patterns to the mouse's recoil memory\n"
             "examples:\n"
             "  vivori-ctl recoil show\n"
             "  vivori-ctl --simulate mouse recoil upload\n",
     .json = true});

}  // namespace
}  // namespace vivori::ctl
