// vivori-ctl audio reduce: spectrum frames from standard input (one line of 500
// decimal integers each), reduced as the application reduces the audio recorder's
// frames; after every third frame, the 25 band values the keyboard would get.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Ctl.h"
#include "lighting/AudioBands.h"

namespace vivori::ctl {
namespace {

constexpr const char* kUsage = "audio reduce  (frames of 500 integers, one per line, on stdin)";

int RunAudio(const Options& options) {
    const auto& args = options.args;
    if (args.size() != 1 || args[0] != "reduce")
        return Fail(std::string("usage: ") + kUsage), kExitUsage;
    lighting::SpectrumReducer reducer;
    std::string line;
    int lineNumber = 0;
    while (std::getline(std::cin, line)) {
        ++lineNumber;
        std::istringstream in(line);
        std::vector<int32_t> frame;
        long long value = 0;
        while (in >> value) {
            if (value < INT32_MIN || value > INT32_MAX)
                return Fail("line " + std::to_string(lineNumber) + ": value out of range"),
                       kExitFailure;
            frame.push_back(static_cast<int32_t>(value));
        }
        if (frame.empty() && in.eof()) continue;  // a blank line
        if (!in.eof() || frame.size() != size_t(lighting::kSpectrumValues))
            return Fail("line " + std::to_string(lineNumber) + ": expected " +
                        std::to_string(lighting::kSpectrumValues) + " integers"),
                   kExitFailure;
        if (!reducer.Add(frame)) continue;
        std::string out;
        for (int32_t mean : reducer.Means()) {
            if (!out.empty()) out += ' ';
            out += std::to_string(mean);
        }
        std::puts(out.c_str());
    }
    return 0;
}

const Registrar registrar(
    {.name = "audio",
     .usage = kUsage,
     .summary = "reduce audio spectrum frames to keyboard bands",
     .run = &RunAudio,
     .help = "  reduce   frames on stdin, one line of 500 integers each; after every third\n"
             "           frame one line of the 25 band values the keyboard would get\n"
             "example:\n"
             "  for i in 1 2 3; do seq 500 | paste -sd ' '; done | vivori-ctl audio reduce\n"});

}  // namespace
}  // namespace vivori::ctl
