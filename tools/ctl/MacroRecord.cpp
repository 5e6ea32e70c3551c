// vivori-ctl macro record: runs scripted input through the macro editor's recording
// rules (position end) and prints the resulting "Events" array.

#include "MacroRecord.h"

#include <cstdio>
#include <iostream>
#include <string>

#include "Ctl.h"
#include "input/ScriptedCaptureBackend.h"
#include "macros/MacroRecorder.h"

namespace vivori::ctl {

int RecordMacro(const std::vector<std::string>& args) {
    constexpr const char* kUsage = "usage: macro record --timing 1|2|3 [--constant MS]";
    int timing = 0;
    std::string constantText = std::to_string(macros::kDefaultConstantDelay);
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--timing" && i + 1 < args.size()) {
            const std::string& t = args[++i];
            timing = t == "1" ? 1 : t == "2" ? 2 : t == "3" ? 3 : -1;
        } else if (args[i] == "--constant" && i + 1 < args.size()) {
            constantText = args[++i];
        } else {
            return Fail(kUsage), kExitUsage;
        }
    }
    if (timing <= 0) return Fail(kUsage), kExitUsage;
    if (constantText.empty() || constantText.find_first_not_of("0123456789") != std::string::npos)
        return Fail("--constant takes a number of milliseconds"), kExitUsage;

    macros::MacroEventList list;
    // Time stamps count from the start of the recording.
    list.StartRecording(static_cast<macros::TimingMode>(timing), macros::ParseDelay(constantText),
                        0);
    std::string line;
    int lineNumber = 0;
    while (std::getline(std::cin, line)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        std::string error;
        const auto input = input::ParseScriptedInput(line, &error);
        if (!input) return Fail("line " + std::to_string(lineNumber) + ": " + error), kExitFailure;
        if (input->mouse) {
            const std::uint32_t message =
                input->down ? input->mouseMessage : input->mouseMessage + 1;
            list.AddMouseEvent(message, input->extraButton, input->time,
                               macros::InsertPosition::End, false);
        } else {
            list.AddKeyEvent(input->down, input->scanCode, input->extended, input->time,
                             macros::InsertPosition::End);
        }
    }
    std::fputs(list.Events().toStyledString().c_str(), stdout);
    return 0;
}

}  // namespace vivori::ctl
