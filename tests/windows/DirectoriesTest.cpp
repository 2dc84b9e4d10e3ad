// Directory creation against the real file system (under Wine).
#include "package/Paths.h"
#include "package/Platform.h"

#include <gtest/gtest.h>

#include <windows.h>

// Levels below a drive root are made; a missing drive cannot be.
TEST(MakeDirectoriesWindows, CreatesTheLevelsBelowADriveRootAndFailsWhereOneCannotBe) {
    RemoveDirectoryA("C:\\kestrel-dirs\\inner");
    RemoveDirectoryA("C:\\kestrel-dirs");
    int created = -1;
    EXPECT_EQ(makeDirectories("C:\\kestrel-dirs/inner\\file.txt", &created), 0);
    EXPECT_EQ(created, 2);
    EXPECT_TRUE(platform::pathExists("C:\\kestrel-dirs\\inner"));
    EXPECT_EQ(makeDirectories("Q:\\nowhere\\file.txt", &created), -1);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(ensureDirectory("C:\\kestrel-dirs"), 1);
    EXPECT_EQ(ensureDirectory("C:\\kestrel-dirs\\a\\b"), 0);
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs"), -1); // not empty
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs\\inner"), 0);
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs"), 0);
    EXPECT_EQ(platform::pathExists("C:\\kestrel-dirs"), 0);
}
