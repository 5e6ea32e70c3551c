#pragma once

#include <string>
#include <vector>

namespace vivori::ctl {

// "macro record --timing 1|2|3 [--constant MS]": events from standard input.
int RecordMacro(const std::vector<std::string>& args);

}  // namespace vivori::ctl
