#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ui/message/MessageRegistry.h"

using namespace vivori::ui;

namespace {

class MessageRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vivori-registry-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/" + MessageRegistry::kFileName;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void WriteFile(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    // Runs the helper program as a separate process with this folder as its runtime
    // folder; returns the identifiers it printed.
    FILE* StartHelper(const std::vector<std::string>& names) {
        std::string command = "XDG_RUNTIME_DIR='" + folder + "' '" VIVORI_REGISTER_HELPER "'";
        for (const auto& name : names) command += " '" + name + "'";
        return popen(command.c_str(), "r");
    }
    static std::vector<UINT> Collect(FILE* helper) {
        std::vector<UINT> ids;
        unsigned id = 0;
        while (std::fscanf(helper, "%u", &id) == 1) ids.push_back(id);
        pclose(helper);
        return ids;
    }

    std::string folder;
    std::string path;
};

bool InRange(UINT id) {
    return id >= kFirstRegisteredMessage && id <= kLastRegisteredMessage;
}

}  // namespace

TEST_F(MessageRegistryTest, ANameInAnyCaseGetsOneIdInRangeThatTheFileKeeps) {
    MessageRegistry registry(path);
    UINT app = registry.Register("VELTRA VIVORI Trivex V2");
    UINT guid = registry.Register("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    EXPECT_TRUE(InRange(app));
    EXPECT_TRUE(InRange(guid));
    EXPECT_NE(app, guid);
    EXPECT_EQ(registry.Register("veltra vivori TRIVEX v2"), app);
    EXPECT_EQ(registry.Register("{4695579f-999a-41D4-9faf-effce93ebf15}"), guid);
    // The one GUID that differs in a single letter is a different name.
    EXPECT_NE(registry.Register("{4695579F-999A-41d4-9FAF-EFFCE93EBE15}"), guid);

    // A fresh registry (another process) reads the same answers from the file.
    MessageRegistry later(path);
    EXPECT_EQ(later.Register("Veltra Vivori Trivex V2"), app);

    EXPECT_EQ(registry.Register(""), 0u);
    EXPECT_EQ(registry.Register("two\nlines"), 0u);
    EXPECT_EQ(registry.Register(std::string(MessageRegistry::kMaxNameBytes + 1, 'x')), 0u);
}

TEST_F(MessageRegistryTest, ProcessesRegisteringInDifferentOrdersAgree) {
    std::vector<std::string> forward, backward;
    for (int i = 0; i < 40; ++i) forward.push_back("Hook_Message_" + std::to_string(i));
    for (auto it = forward.rbegin(); it != forward.rend(); ++it) {
        std::string upper = *it;
        for (char& c : upper) c = static_cast<char>(toupper(c));
        backward.push_back(upper);
    }
    // Both run at once, so their additions to the file interleave under the lock.
    FILE* first = StartHelper(forward);
    FILE* second = StartHelper(backward);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    std::vector<UINT> firstIds = Collect(first);
    std::vector<UINT> secondIds = Collect(second);
    ASSERT_EQ(firstIds.size(), forward.size());
    ASSERT_EQ(secondIds.size(), forward.size());

    MessageRegistry here(path);
    for (std::size_t i = 0; i < forward.size(); ++i) {
        EXPECT_TRUE(InRange(firstIds[i]));
        EXPECT_EQ(firstIds[i], secondIds[forward.size() - 1 - i]) << forward[i];
        EXPECT_EQ(here.Register(forward[i]), firstIds[i]);
    }
}

TEST_F(MessageRegistryTest, AGarbageFileNeverGivesAnIdOutOfRange) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string garbage(random() % 5000, '\0');
        for (char& c : garbage) c = static_cast<char>(random() % 8 == 0 ? '\n' : random() % 256);
        WriteFile(garbage);
        MessageRegistry registry(path);
        for (const char* name : {"alpha", "Beta", "gamma delta"}) {
            UINT id = registry.Register(name);
            EXPECT_TRUE(InRange(id)) << "round " << round;
            EXPECT_EQ(MessageRegistry(path).Register(name), id) << "round " << round;
        }
    }
}

TEST_F(MessageRegistryTest, AFullTableRefusesNewNamesButKeepsTheOldOnes) {
    std::string table;
    for (std::size_t i = 0; i < MessageRegistry::kCapacity; ++i)
        table += "name" + std::to_string(i) + "\n";
    WriteFile(table);
    MessageRegistry registry(path);
    EXPECT_EQ(registry.Register("NAME5"), kFirstRegisteredMessage + 5);
    EXPECT_EQ(registry.Register("name16383"), kLastRegisteredMessage);
    EXPECT_EQ(registry.Register("one more"), 0u);
    EXPECT_EQ(std::filesystem::file_size(path), table.size());
}

TEST_F(MessageRegistryTest, AnOversizedOrForeignFileYieldsZero) {
    WriteFile("");
    std::filesystem::resize_file(path, MessageRegistry::kMaxFileBytes + 1);
    EXPECT_EQ(MessageRegistry(path).Register("name"), 0u);

    std::filesystem::remove(path);
    std::filesystem::create_symlink(folder + "/elsewhere", path);
    EXPECT_EQ(MessageRegistry(path).Register("name"), 0u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/elsewhere"));

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(MessageRegistry(path).Register("name"), 0u);
}
