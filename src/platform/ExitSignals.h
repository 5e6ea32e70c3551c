#pragma once

#include <functional>

namespace vivori {

// SIGTERM, SIGINT and SIGHUP end the program the orderly way: `onSignal` is called
// with the signal's number on a thread of its own (never inside the signal handler),
// and is expected to ask the main loop to end. A second such signal ends the process
// at once, for a shut-down that does not finish. Call once, early, from the main
// thread.
void WatchExitSignals(std::function<void(int)> onSignal);

}  // namespace vivori
