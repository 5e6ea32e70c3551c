#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "Ctl.h"
#include "Text.h"
#include "profiles/JsonFile.h"
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

bool Arguments::Has(std::string_view flag) const {
    for (const auto& f : flags)
        if (f == flag) return true;
    return false;
}

Arguments SplitArguments(const std::vector<std::string>& args) {
    Arguments split;
    for (const auto& a : args) (a.rfind("--", 0) == 0 ? split.flags : split.words).push_back(a);
    return split;
}

int RefuseUnknownFlags(const Arguments& arguments, std::initializer_list<std::string_view> known) {
    for (const auto& flag : arguments.flags)
        if (std::find(known.begin(), known.end(), flag) == known.end())
            return Fail("unknown option " + flag + " (see --help)"), kExitUsage;
    return 0;
}

int ParseOptionValues(const std::vector<std::string>& args, size_t from,
                      std::initializer_list<std::string_view> known, OptionValues* out) {
    for (size_t i = from; i < args.size(); i += 2) {
        const std::string& flag = args[i];
        if (flag.rfind("--", 0) != 0)
            return Fail("unexpected argument " + flag + " (see help)"), kExitUsage;
        if (std::find(known.begin(), known.end(), flag) == known.end())
            return Fail("unknown option " + flag + " (see help)"), kExitUsage;
        if (i + 1 >= args.size()) return Fail(flag + " needs a value"), kExitUsage;
        if (!out->values.emplace(flag.substr(2), args[i + 1]).second)
            return Fail(flag + " is given twice"), kExitUsage;
    }
    return 0;
}

int NumberOption(const OptionValues& options, const std::string& name, uint32_t max, int* value) {
    const auto found = options.values.find(name);
    if (found == options.values.end()) return 0;
    const auto number = ParseNumber(found->second, max);
    if (!number)
        return Fail("--" + name + " takes a number from 0 to " + std::to_string(max) + ", not \"" +
                    found->second + "\""),
               kExitUsage;
    *value = static_cast<int>(*number);
    return 0;
}

void PrintJson(const Json::Value& document) {
    std::fputs(profiles::StyledJson(document).c_str(), stdout);
}

std::shared_ptr<hid::HidBus> SelectBus(const Options& options, std::string* error) {
    // One bus for the whole run, as the application takes it.
    static std::shared_ptr<hid::HidBus> bus;
    if (bus) return bus;
    if (!options.fault.empty() && options.simulate.empty()) {
        *error = "--fault needs simulated devices (--simulate LIST)";
        return nullptr;
    }
    const std::string list =
        options.fault.empty() ? options.simulate : sim::WithFault(options.simulate, options.fault);
    bus = sim::MakeProgramBus(list, error);
    return bus;
}

}  // namespace vivori::ctl

using namespace vivori::ctl;

namespace {

constexpr const char* kOptionsHelp =
    "options (before or after the command; after its name, the command's own options\n"
    "of the same name win: light sync-run --kind K):\n"
    "  --device keyboard|mouse|pad|headset   device to talk to (default keyboard)\n"
    "  --link cable|receiver                 way to reach it (default cable)\n"
    "  --kind keyboard|mouse|pad|headset     profile or macro kind (default: the device)\n"
    "  --simulate LIST                       use simulated devices (also VIVORI_SIMULATE)\n"
    "  --fault KIND[:N]                      the simulated devices misbehave: no-reply,\n"
    "                                        status-ff, status-fe, stray-reply, delay:MS\n"
    "                                        or unplug; on the N-th exchange only, else\n"
    "                                        on every one (unplug: mid-transfer)\n"
    "  --debug                               print every frame sent and received\n"
    "  --json                                the data as one JSON document (commands\n"
    "                                        that print data; see help COMMAND)\n"
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
    std::printf("  %-34s %s\n%s", "help COMMAND", "one command's arguments explained, with an example", kExitHelp);
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
    std::printf("usage: vivori-ctl [options] %s\n\n%s.\n", s->usage, s->summary);
    if (*s->help != '\0') std::printf("\n%s", s->help);
    std::printf("\n%s\n\n%s%s",
                s->json ? "--json prints the same data as one JSON document."
                        : "--json: not offered (the command prints no data for scripts).",
                kOptionsHelp, kExitHelp);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const char* env = std::getenv("VIVORI_SIMULATE")) options.simulate = env;
    // The options go before or after the command alike; the first other word is the
    // command, the rest are its arguments ("--" passes everything after it on as is).
    // Options the tool does not know belong to the command when it has been named.
    std::string name;
    const Subcommand* command = nullptr;
    bool literal = false;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-h" && !literal) a = "--help";  // the one short option
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        // After the command's name, its own options win over shared ones of that name
        // ("light sync-run --kind 0").
        const bool own =
            command != nullptr &&
            (std::string(" ") + command->ownOptions + " ").find(" " + a + " ") != std::string::npos;
        if (literal || a.rfind("--", 0) != 0 || own) {
            if (name.empty() && !literal) {
                name = a;
                command = FindSubcommand(name);
            } else {
                options.args.push_back(a);
            }
        } else if (a == "--") {
            literal = true;
        } else if (a == "--help") {
            help = true;
        } else if (a == "--version") {
            std::printf("vivori-ctl %s\n", VIVORI_VERSION);
            return 0;
        } else if (a == "--debug") {
            options.debug = true;
        } else if (a == "--json") {
            options.json = true;
        } else if (a == "--device") {
            if (!value(options.device)) return Fail("--device needs a value"), kExitUsage;
        } else if (a == "--link") {
            if (!value(options.link)) return Fail("--link needs a value"), kExitUsage;
        } else if (a == "--kind") {
            if (!value(options.kind)) return Fail("--kind needs a value"), kExitUsage;
        } else if (a == "--simulate") {
            if (!value(options.simulate)) return Fail("--simulate needs a value"), kExitUsage;
        } else if (a == "--fault") {
            std::string why;
            if (!value(options.fault)) return Fail("--fault needs a value"), kExitUsage;
            if (!vivori::sim::ParseFault(options.fault, &why)) return Fail(why), kExitUsage;
        } else if (!name.empty()) {
            options.args.push_back(a);
        } else {
            Fail("unknown option " + a + " (see --help)");
            return kExitUsage;
        }
    }
    // "help COMMAND", "COMMAND --help": that command's usage.
    if (name == "help" && !options.args.empty()) return PrintCommandHelp(options.args[0]);
    if (help && !name.empty()) return PrintCommandHelp(name);
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
    if (command != nullptr) {
        if (options.json && !command->json)
            return Fail(name + " prints no data to offer as JSON (--json)"), kExitUsage;
        return command->run(options);
    }
    Fail("unknown command " + name + " (see --help)");
    return kExitUsage;
}
