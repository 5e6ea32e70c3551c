#pragma once

// vivori-ctl: the command-line companion. Each subcommand lives in its own file and
// registers itself with a static Registrar, so adding one touches no shared file.

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/HidBus.h"

namespace vivori::ctl {

struct Options {
    std::string device = "keyboard";  // keyboard | mouse | pad | headset
    std::string link = "cable";       // cable | receiver
    std::string kind;                 // profile/macro kind (defaults to device)
    std::string simulate;             // simulated devices, as VIVORI_SIMULATE
    std::string fault;                // --fault: what every simulated device gets wrong
    bool debug = false;
    std::vector<std::string> args;  // after the subcommand name
};

struct Subcommand {
    const char* name;
    const char* usage;    // one line: "info", "params read|write ..."
    const char* summary;  // what it does
    int (*run)(const Options& options);
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

// The user data folder name of a --kind ("keyboard", "mouse", "pad", "headset");
// empty for anything else.
std::string_view DeviceFolderOfKind(const std::string& kind);

// The bus the options ask for: the simulated devices when --simulate (or
// VIVORI_SIMULATE) names some, else the hidraw bus. Null with error set on failure.
std::shared_ptr<hid::HidBus> SelectBus(const Options& options, std::string* error);

}  // namespace vivori::ctl
