#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vivori {

// The full path of an executable program: a name with a "/" as it is, any other name
// looked up along PATH. nullopt when there is none.
std::optional<std::string> FindProgram(std::string_view name);

// Starts argv[0] (a full path, see FindProgram) with the rest as its arguments, in a
// session of its own. The program is nobody's child here once started, so no thread
// of ours waits on it and it outlives us. False when it could not be started.
bool StartDetached(const std::vector<std::string>& argv);

}  // namespace vivori
