#include "package/Paths.h"

#include "../TempFolder.h"
#include "package/Platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string collapsed(std::string text) {
    collapseSeparators(&text[0]);
    return text.c_str();
}
} // namespace

TEST(CollapseSeparators, FoldsEveryRunToItsLastSeparator) {
    EXPECT_EQ(collapsed("C:\\\\Program Files\\\\App\\"), "C:\\Program Files\\App\\");
    EXPECT_EQ(collapsed("C:/a//b"), "C:/a/b");
    EXPECT_EQ(collapsed("C:\\a/\\b\\/c"), "C:\\a\\b/c");
    EXPECT_EQ(collapsed("plain"), "plain");
    EXPECT_EQ(collapsed(""), "");
    EXPECT_EQ(collapsed("a\\\\\\\\"), "a\\");
}

TEST(CollapseSeparators, KeepsTheLeadingPairOfANetworkPath) {
    EXPECT_EQ(collapsed("\\\\server\\share\\\\dir"), "\\\\server\\share\\dir");
    EXPECT_EQ(collapsed("//server//share"), "//server/share");
    EXPECT_EQ(collapsed("\\\\\\server"), "\\\\server");
    EXPECT_EQ(collapsed("\\single"), "\\single");
}

TEST(MakeDirectories, CreatesMissingLevelsAndCountsThem) {
    TempFolder folder;
    std::string file = folder / "one/two/file.txt";
    int created = -1;
    EXPECT_EQ(makeDirectories(file.c_str(), &created), 0);
    EXPECT_EQ(created, 2);
    EXPECT_TRUE(platform::pathExists((folder / "one/two").c_str()));
    EXPECT_FALSE(platform::pathExists(file.c_str())); // the last component only with a separator

    EXPECT_EQ(makeDirectories(file.c_str(), &created), 0);
    EXPECT_EQ(created, 0);

    std::string withSeparator = folder / "one/two/three/";
    EXPECT_EQ(makeDirectories(withSeparator.c_str(), &created), 0);
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(platform::pathExists((folder / "one/two/three").c_str()));
}

TEST(MakeDirectories, RefusesWhatItCannotHold) {
    int created = -1;
    EXPECT_EQ(makeDirectories("C:\\", &created), 0);
    EXPECT_EQ(created, 0);
    TempFolder folder;
    std::string tooLong = folder.path() + "/" + std::string(300, 'd') + "/f";
    EXPECT_EQ(makeDirectories(tooLong.c_str(), &created), -1);
    EXPECT_EQ(created, 0);
    // A level that exists as a file cannot become a folder.
    std::string blocker = folder / "blocker";
    FILE* f = fopen(blocker.c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    EXPECT_EQ(makeDirectories((blocker + "/sub/x").c_str(), &created), -1);
}

TEST(Directories, EnsureReportsExistingAsSuccess) {
    TempFolder folder;
    std::string dir = folder / "d";
    EXPECT_EQ(ensureDirectory(dir.c_str()), 1);
    EXPECT_EQ(ensureDirectory(dir.c_str()), 1);
    EXPECT_EQ(ensureDirectory((folder / "no/such").c_str()), 0);
    EXPECT_EQ(platform::removeDirectory(dir.c_str()), 0);
    EXPECT_EQ(platform::removeDirectory(dir.c_str()), -1);
}

TEST(IsFullPath, TakesDriveRootsNetworkPathsAndTheHostRootOnly) {
    EXPECT_TRUE(isFullPath("C:\\Program Files"));
    EXPECT_TRUE(isFullPath("d:/x"));
    EXPECT_TRUE(isFullPath("\\\\server\\share"));
    EXPECT_TRUE(isFullPath("//server/share"));
    EXPECT_TRUE(isFullPath("/tmp/x")); // the native build's own root
    EXPECT_FALSE(isFullPath("C:relative"));
    EXPECT_FALSE(isFullPath("C:"));
    EXPECT_FALSE(isFullPath("relative\\dir"));
    EXPECT_FALSE(isFullPath("1:\\x"));
    EXPECT_FALSE(isFullPath(""));
}
