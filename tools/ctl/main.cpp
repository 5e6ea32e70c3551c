#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Ctl.h"
#include "sim/SimulatedBus.h"

namespace vivori::ctl {

namespace {
std::vector<Subcommand>& Table() {
    static std::vector<Subcommand> table;
    return table;
}
}  // namespace

void Register(const Subcommand& subcommand) {
    Table().push_back(subcommand);
}
const std::vector<Subcommand>& Subcommands() {
    return Table();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vivori-ctl: %s\n", message.c_str());
    return kExitFailure;
}

std::shared_ptr<hid::HidBus> SelectBus(const Options& options, std::string* error) {
    // One bus for the whole run, as the application takes it.
    static std::shared_ptr<hid::HidBus> bus;
    if (!bus) bus = sim::MakeProgramBus(options.simulate, error);
    return bus;
}

}  // namespace vivori::ctl

using namespace vivori::ctl;

namespace {

constexpr const char* kOptionsHelp =
    "options (before or after the command):\n"
    "  --device keyboard|mouse|pad|headset   device to talk to (default keyboard)\n"
    "  --link cable|receiver                 way to reach it (default cable)\n"
    "  --kind keyboard|mouse|pad|headset     profile or macro kind (default: the device)\n"
    "  --simulate LIST                       use simulated devices (also VIVORI_SIMULATE)\n"
    "  --debug                               print every frame sent and received\n"
    "  --help                                this text, or a command's with one named\n"
    "  --version                             the version\n"
    "  --                                    what follows is the command's, not options\n";

constexpr const char* kExitHelp =
    "\nExit status: 0 on success, 1 when the command failed (the message names the\n"
    "result code), 2 on a usage error.\n";

void PrintHelp() {
    std::printf("usage: vivori-ctl [options] <command> [arguments] [options]\n\n%s\ncommands:\n",
                kOptionsHelp);
    for (const auto& s : Subcommands()) {
        if (std::strlen(s.usage) > 34)
            std::printf("  %s\n  %-34s %s\n", s.usage, "", s.summary);
        else
            std::printf("  %-34s %s\n", s.usage, s.summary);
    }
    std::printf("  %-34s %s\n%s", "help COMMAND", "what one command does and takes", kExitHelp);
}

const Subcommand* FindSubcommand(const std::string& name) {
    for (const auto& s : Subcommands())
        if (name == s.name) return &s;
    return nullptr;
}

int PrintCommandHelp(const std::string& name) {
    if (name == "help") {
        PrintHelp();
        return 0;
    }
    const Subcommand* s = FindSubcommand(name);
    if (s == nullptr) return Fail("unknown command " + name + " (see --help)"), kExitUsage;
    std::printf("usage: vivori-ctl [options] %s\n\n%s.\n\n%s%s", s->usage, s->summary, kOptionsHelp,
                kExitHelp);
    return 0;
}

enum class Parsed { Option, NotAnOption, Error };

// One of the options every command shares, at args[i] (its value is taken too).
Parsed SharedOption(const std::vector<std::string>& args, size_t& i, Options& options) {
    const std::string& a = args[i];
    if (a == "--debug") {
        options.debug = true;
        return Parsed::Option;
    }
    std::string* value = a == "--device"     ? &options.device
                         : a == "--link"     ? &options.link
                         : a == "--kind"     ? &options.kind
                         : a == "--simulate" ? &options.simulate
                                             : nullptr;
    if (value == nullptr) return Parsed::NotAnOption;
    if (i + 1 >= args.size()) return Fail(a + " needs a value"), Parsed::Error;
    *value = args[++i];
    return Parsed::Option;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const char* env = std::getenv("VIVORI_SIMULATE")) options.simulate = env;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string name;
    bool help = false;
    bool optionsEnded = false;
    // The shared options may stand before or after the command; the command's own
    // options ("--force", "--mode 3") stay in its arguments.
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded) {
            if (a == "--") {
                optionsEnded = true;
                continue;
            }
            if (a == "--help" || a == "-h") {
                help = true;
                continue;
            }
            if (a == "--version") {
                std::printf("vivori-ctl %s\n", VIVORI_VERSION);
                return 0;
            }
            const Parsed parsed = SharedOption(args, i, options);
            if (parsed == Parsed::Error) return kExitUsage;
            if (parsed == Parsed::Option) continue;
            if (name.empty() && a.rfind("--", 0) == 0) {
                Fail("unknown option " + a + " (see --help)");
                return kExitUsage;
            }
        }
        if (name.empty())
            name = a;
        else
            options.args.push_back(a);
    }
    if (name == "help" && !options.args.empty()) return PrintCommandHelp(options.args[0]);
    if (help && !name.empty() && name != "help") return PrintCommandHelp(name);
    if (help || name == "help") {
        PrintHelp();
        return 0;
    }
    if (name.empty()) {
        PrintHelp();
        return kExitUsage;
    }
    if (options.debug) setenv("VIVORI_DEBUG", "1", 1);
    if (options.device != "keyboard" && options.device != "mouse" && options.device != "pad" &&
        options.device != "headset") {
        Fail("unknown device " + options.device + " (keyboard, mouse, pad or headset)");
        return kExitUsage;
    }
    if (options.link != "cable" && options.link != "receiver") {
        Fail("unknown link " + options.link + " (cable or receiver)");
        return kExitUsage;
    }
    if (options.kind.empty()) options.kind = options.device;
    if (const Subcommand* s = FindSubcommand(name)) return s->run(options);
    Fail("unknown command " + name + " (see --help)");
    return kExitUsage;
}
