// libFuzzer target: any byte string as a report descriptor, then every field read
// back from reports built from the same bytes.

#include "fuzz/ExerciseDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vivori::fuzz::ExerciseDescriptor(std::span<const uint8_t>(data, size));
    return 0;
}
