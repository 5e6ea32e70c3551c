// vivori-ctl game start|end|kill|death [MODE]: the game light events, posted to the
// running application as a game would (nothing else sends them on this system).
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "Ctl.h"
#include "Text.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/message/Messages.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage = "game start|end|kill|death [MODE]";

struct GameEvent {
    std::string_view word;
    std::string_view message;  // the registered message's name
};
constexpr std::array<GameEvent, 4> kEvents = {
    {{"start", "Game_Start"}, {"end", "Game_End"}, {"kill", "Game_Kill"}, {"death", "Game_Death"}}};

int RunGame(const Options& options) {
    const auto& args = options.args;
    if (args.empty() || args.size() > 2) return Fail(std::string("usage: ") + kUsage), kExitUsage;
    const GameEvent* event = nullptr;
    for (const GameEvent& e : kEvents)
        if (args[0] == e.word) event = &e;
    if (event == nullptr)
        return Fail("unknown game event " + args[0] + " (see --help)"), kExitUsage;
    // The light mode the keyboard shows for a while; the application checks it
    // against the device's own list.
    unsigned mode = 0;
    if (args.size() == 2) {
        auto parsed = ParseNumber(args[1], 255);
        if (!parsed) return Fail("bad light mode " + args[1]), kExitUsage;
        mode = *parsed;
    }
    const ui::UINT message = ui::RegisterWindowMessage(event->message);
    if (message == 0) return Fail("no runtime folder (XDG_RUNTIME_DIR) to reach the application");
    const int reached = ui::BroadcastToPeers(message, 0, static_cast<ui::LPARAM>(mode));
    if (reached == 0) return Fail("the application is not running");
    std::printf("posted %s with light mode %u\n", std::string(event->message).c_str(), mode);
    return 0;
}

const Registrar registrar(
    {.name = "game",
     .usage = kUsage,
     .summary = "post a game light event (mode shown for 5 s) to the application",
     .run = &RunGame,
     .help = "  start|end|kill|death   the event (Game_Start, Game_End, Game_Kill, Game_Death)\n"
             "  MODE                   the light mode the current device shows (0-255,\n"
             "                         default 0); fails when the application is not running\n"
             "example:\n"
             "  vivori-ctl game kill 6\n"});

}  // namespace
}  // namespace vivori::ctl
