// Registers each argument as a window message and prints the identifiers, one a
// line, so a test can compare what separate processes were given.
#include <cstdio>

#include "ui/message/Messages.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::printf("%u\n", vivori::ui::RegisterWindowMessage(argv[i]));
    return 0;
}
