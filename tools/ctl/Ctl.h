#pragma once

// vivori-ctl: the command-line companion. Each subcommand lives in its own file and
// registers itself with a static Registrar, so adding one touches no shared file.

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/HidBus.h"

namespace Json {
class Value;
}

namespace vivori::ctl {

struct Options {
    std::string device = "keyboard";  // keyboard | mouse | pad | headset
    std::string link = "cable";       // cable | receiver
    std::string kind;                 // profile/macro kind (defaults to device)
    std::string simulate;             // simulated devices, as VIVORI_SIMULATE
    std::string fault;                // --fault: what every simulated device gets wrong
    bool debug = false;
    bool json = false;              // --json: one JSON document on stdout
    std::vector<std::string> args;  // after the subcommand name
};

struct Subcommand {
    const char* name;
    const char* usage;    // one line: "info", "params read|write ..."
    const char* summary;  // what it does
    int (*run)(const Options& options);
    // For "help COMMAND": each argument explained, then an example or two.
    const char* help = "";
    bool json = false;  // offers --json
    // Its own options that share a name with a shared one ("--kind"): after the
    // command's name they are the command's.
    const char* ownOptions = "";
};

void Register(const Subcommand& subcommand);
const std::vector<Subcommand>& Subcommands();

struct Registrar {
    explicit Registrar(const Subcommand& subcommand) { Register(subcommand); }
};

// Prints "vivori-ctl: <message>" on stderr and returns the failure exit code.
int Fail(const std::string& message);
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A command's arguments split into words and "--" flags, so flags may stand anywhere.
struct Arguments {
    std::vector<std::string> words;
    std::vector<std::string> flags;
    bool Has(std::string_view flag) const;
};
Arguments SplitArguments(const std::vector<std::string>& args);
// A usage error naming the first flag not in `known`; 0 when all are known.
int RefuseUnknownFlags(const Arguments& arguments, std::initializer_list<std::string_view> known);

// "--name value" pairs from args[from] on, each name one of `known` and given once.
struct OptionValues {
    std::map<std::string, std::string> values;  // keyed by the name without "--"
    bool Has(const std::string& name) const { return values.count(name) != 0; }
};
// A usage error (after the error line) when an argument is no such pair; else 0.
int ParseOptionValues(const std::vector<std::string>& args, size_t from,
                      std::initializer_list<std::string_view> known, OptionValues* out);
// The value of --name as a number up to max (decimal or 0x hex), into *value; a usage
// error naming the option when it is not one. 0 when absent or read.
int NumberOption(const OptionValues& options, const std::string& name, uint32_t max, int* value);

// Prints one JSON document on stdout (keys sorted, numbers as numbers).
void PrintJson(const Json::Value& document);

// The user data folder name of a --kind ("keyboard", "mouse", "pad", "headset");
// empty for anything else.
std::string_view DeviceFolderOfKind(const std::string& kind);

// The bus the options ask for: the simulated devices when --simulate (or
// VIVORI_SIMULATE) names some, else the hidraw bus. Null with error set on failure.
std::shared_ptr<hid::HidBus> SelectBus(const Options& options, std::string* error);

}  // namespace vivori::ctl
