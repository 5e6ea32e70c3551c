#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/InstallFolders.h"

namespace fs = std::filesystem;

TEST(ShippedDataFolder, BesideTheProgramWinsOverShareWhichWinsOverNothing) {
    char pattern[] = "/tmp/vivori-install-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const fs::path bin = root / "usr" / "bin";
    const fs::path share = root / "usr" / "share" / "vivori-trivex";
    fs::create_directories(bin);
    EXPECT_EQ(vivori::ShippedDataFolder(bin), bin);  // nothing anywhere: beside it

    fs::create_directories(share / "DefaultData");
    EXPECT_EQ(vivori::ShippedDataFolder(bin), share);  // as the package lays it out

    fs::create_directories(bin / "skin");
    EXPECT_EQ(vivori::ShippedDataFolder(bin), bin);  // the build tree
    fs::remove_all(root);
}
