// Programs changing one macro list at once: each change holds the folder's macro lock
// from its read of the list to its write, identifiers included.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "macros/MacroLibrary.h"
#include "profiles/TempFolder.h"

using namespace vivori;
using namespace vivori::macros;
using vivori::testing::TempFolder;
using vivori::testing::WriteText;
namespace fs = std::filesystem;

namespace {

// Runs `work` in `count` processes at once; true when every one ended with 0.
bool InProcesses(int count, const std::function<int(int)>& work) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) _exit(work(i));
        if (pid < 0) return false;
        children.push_back(pid);
    }
    bool ok = true;
    for (pid_t pid : children) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

TEST(MacroListLock, TwoProgramsImportingAndAddingAtOnceLoseNothing) {
    TempFolder temp;
    const fs::path folder = temp / "keyboard";
    const fs::path file = temp / "Jump.mac";
    WriteText(file, R"({"Events": [{"Action": "down", "Type": 10, "Button": 4, "Delay": "5"}]})");
    constexpr int kEach = 25;
    ASSERT_TRUE(InProcesses(2, [&](int which) {
        MacroLibrary library(folder);
        for (int i = 0; i < kEach; ++i) {
            // One imports, the other adds: both take names and identifiers from the list.
            const MacroResult r = which == 0 ? library.Import(file) : library.Add();
            if (!r) return 1;
        }
        return 0;
    }));
    const std::vector<MacroEntry> list = MacroLibrary(folder).List();
    ASSERT_EQ(list.size(), 2u * kEach);
    std::set<std::string> names, guids;
    for (const MacroEntry& e : list) {
        names.insert(e.name);
        guids.insert(e.guid);
    }
    EXPECT_EQ(names.size(), list.size());
    EXPECT_EQ(guids.size(), list.size());
    // Every imported file belongs to a listed macro.
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == kMacroExtension) {
            ++files;
            EXPECT_TRUE(guids.count(entry.path().stem().string())) << entry.path();
        }
    EXPECT_EQ(files, size_t(kEach));
}

}  // namespace
