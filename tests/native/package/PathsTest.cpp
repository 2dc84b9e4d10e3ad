#include "package/Paths.h"

#include "package/Platform.h"
#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

TEST(CollapseSeparators, FoldsRunsToTheirLastSeparatorButKeepsTheLeadingPairOfANetworkPath) {
    const char* rows[][2] = {{"C:\\\\Program Files\\\\App\\", "C:\\Program Files\\App\\"},
                             {"C:\\a/\\b\\/c//d", "C:\\a\\b/c/d"},
                             {"a\\\\\\\\", "a\\"},
                             {"", ""},
                             {"\\\\server\\share\\\\dir", "\\\\server\\share\\dir"},
                             {"//server//share", "//server/share"},
                             {"\\\\\\server", "\\\\server"},
                             {"\\single", "\\single"}};
    for (const auto& row : rows) {
        std::string text = row[0];
        collapseSeparators(&text[0]);
        EXPECT_STREQ(text.c_str(), row[1]) << row[0];
    }
}

TEST(MakeDirectories, CreatesTheMissingLevelsTheLastOnlyWithASeparator) {
    TempFolder folder;
    const std::pair<std::string, int> rows[] = {
        {"one/two/file.txt", 2}, {"one/two/file.txt", 0}, {"one\\two\\three\\", 1}};
    for (const auto& [path, expected] : rows) {
        int created = -1;
        EXPECT_EQ(makeDirectories((folder / path).c_str(), &created), 0);
        EXPECT_EQ(created, expected) << path;
    }
    EXPECT_TRUE(platform::pathExists((folder / "one/two/three").c_str()));
    EXPECT_FALSE(platform::pathExists((folder / "one/two/file.txt").c_str()));
}

TEST(MakeDirectories, StartsBelowTheShareOfANetworkPath) {
    TempFolder folder;
    // As a network path the temporary folder's parent is the server and the folder the share.
    std::string share = folder.path() + "-share";
    int created = -1;
    EXPECT_EQ(makeDirectories(("/" + share + "/dir/f").c_str(), &created), -1);
    EXPECT_FALSE(platform::pathExists(share.c_str()));
    EXPECT_EQ(makeDirectories(("/" + folder.path() + "/dir/f").c_str(), &created), 0);
    EXPECT_EQ(created, 1);
    std::system(("rm -rf '" + share + "'").c_str());
}

TEST(MakeDirectories, FailsOnPathsThatDoNotFitAndLevelsThatAreFiles) {
    TempFolder folder;
    writeAll(folder / "file", "");
    int created = -1;
    EXPECT_EQ(makeDirectories((folder / std::string(300, 'd') + "/f").c_str(), &created), -1);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(makeDirectories((folder / "file/sub/x").c_str(), &created), -1);
    EXPECT_EQ(makeDirectories("C:\\", &created), 0);
    EXPECT_EQ(ensureDirectory((folder / "d").c_str()), 1);
    EXPECT_EQ(ensureDirectory((folder / "d").c_str()), 1);
    EXPECT_EQ(ensureDirectory((folder / "no/such").c_str()), 0);
}

TEST(IsFullPath, TakesDriveRootsNetworkPathsAndTheHostRootOnly) {
    const std::pair<const char*, bool> rows[] = {{"C:\\Program Files", true},
                                                 {"d:/x", true},
                                                 {"\\\\server\\share", true},
                                                 {"//server/share", true},
                                                 {"/tmp/x", true},
                                                 {"C:relative", false},
                                                 {"C:", false},
                                                 {"relative\\dir", false},
                                                 {"1:\\x", false},
                                                 {"", false}};
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(isFullPath(path), expected) << path;
}
