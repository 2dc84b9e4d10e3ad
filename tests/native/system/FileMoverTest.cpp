#include "system/FileMover.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(FileMover, ReplacesTheTargetAndLeavesNoSourceOrFailsChangingNothing) {
    TempFolder folder;
    writeAll(folder / "from", "new");
    writeAll(folder / "to", "old");
    EXPECT_TRUE(FileMover::move((folder / "from").c_str(), (folder.path() + "\\to").c_str()));
    EXPECT_FALSE(FileMover::move((folder / "from").c_str(), (folder / "again").c_str()));
    EXPECT_FALSE(FileMover::move((folder / "to").c_str(), (folder / "missing/to").c_str()));
    EXPECT_EQ(readAll(folder / "to") + readAll(folder / "from"), "new");
}

TEST(FileMover, MovesOntoAnotherFileSystem) {
    char name[] = "/dev/shm/kestrel-move-XXXXXX";
    int descriptor = mkstemp(name);
    if (descriptor < 0)
        GTEST_SKIP() << "no second file system at /dev/shm";
    close(descriptor);
    writeAll(name, std::string(100000, 'm'));
    TempFolder folder;
    EXPECT_TRUE(FileMover::move(name, (folder / "moved").c_str()));
    EXPECT_EQ(readAll(folder / "moved"), std::string(100000, 'm'));
    EXPECT_NE(unlink(name), 0) << "the source is gone";
}
