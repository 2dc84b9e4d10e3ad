// Directory creation against the real file system (under Wine).
#include "package/Paths.h"
#include "package/Platform.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

TEST(MakeDirectoriesWindows, CreatesBothLevelsBelowADriveRoot) {
    RemoveDirectoryA("C:\\kestrel-dirs\\inner");
    RemoveDirectoryA("C:\\kestrel-dirs");
    int created = -1;
    EXPECT_EQ(makeDirectories("C:\\kestrel-dirs/inner\\file.txt", &created), 0);
    EXPECT_EQ(created, 2);
    EXPECT_TRUE(platform::pathExists("C:\\kestrel-dirs\\inner"));
    EXPECT_FALSE(platform::pathExists("C:\\kestrel-dirs\\inner\\file.txt"));
    EXPECT_EQ(makeDirectories("C:\\kestrel-dirs\\inner\\file.txt", &created), 0);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs"), -1); // not empty
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs\\inner"), 0);
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-dirs"), 0);
}

TEST(MakeDirectoriesWindows, FailsWhereALevelCannotBeCreated) {
    int created = -1;
    EXPECT_EQ(makeDirectories("Q:\\nowhere\\file.txt", &created), -1);
    EXPECT_EQ(created, 0);
    std::string tooLong = "C:\\" + std::string(260, 'l') + "\\file.txt";
    EXPECT_EQ(makeDirectories(tooLong.c_str(), &created), -1);
}

TEST(EnsureDirectoryWindows, ExistingCountsAsSuccess) {
    EXPECT_EQ(ensureDirectory("C:\\kestrel-ensure"), 1);
    EXPECT_EQ(ensureDirectory("C:\\kestrel-ensure"), 1);
    EXPECT_EQ(ensureDirectory("C:\\kestrel-ensure\\a\\b"), 0);
    EXPECT_EQ(platform::removeDirectory("C:\\kestrel-ensure"), 0);
    EXPECT_EQ(platform::pathExists("C:\\kestrel-ensure"), 0);
}
