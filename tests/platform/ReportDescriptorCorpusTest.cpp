#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/ExerciseDescriptor.h"

namespace fs = std::filesystem;

// The fuzzer's checked-in corpus, crash reproducers included, on every build.
TEST(ReportDescriptorCorpus, EveryCheckedInDescriptorParsesOrIsRefusedCleanly) {
    size_t files = 0;
    size_t accepted = 0;
    for (const auto& entry : fs::directory_iterator(VIVORI_DESCRIPTOR_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        size_t collections = vivori::fuzz::ExerciseDescriptor(bytes);
        if (entry.path().filename() == "family") {
            EXPECT_EQ(collections, 4u);
        }
        accepted += collections > 0;
        ++files;
    }
    EXPECT_GE(files, 5u);
    EXPECT_GE(accepted, 5u);  // the seeds are real descriptors
}
