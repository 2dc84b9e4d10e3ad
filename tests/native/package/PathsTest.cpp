#include "package/Paths.h"

#include "package/Platform.h"
#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

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

// The last component is a folder only when a separator follows it; a network path starts below
// its share (written as one, the temporary folder's parent is the server, the folder a share).
TEST(MakeDirectories, CreatesTheMissingLevelsBelowTheShareAndFailsWhereALevelCannotBe) {
    TempFolder folder;
    writeAll(folder / "file", "");
    // 120 characters in 360 bytes: the system's limit counts characters.
    std::string level;
    for (int i = 0; i < 60; ++i)
        level += "\xE6\x97\xA5";
    const std::pair<std::string, int> rows[] = {
        {"one/two/file.txt", 2},  {"u/" + level + "/" + level + "/f", 3}, {"one/two/file.txt", 0},
        {"one\\two\\three\\", 1}, {std::string(300, 'd') + "/f", -1},     {"file/sub/x", -1}};
    for (const auto& [path, expected] : rows) {
        int created = -1;
        bool made = makeDirectories((folder / path).c_str(), &created);
        EXPECT_EQ(made ? created : -1, expected) << path;
    }
    EXPECT_TRUE(platform::pathExists((folder / "one/two/three").c_str()));
    EXPECT_FALSE(platform::pathExists((folder / "one/two/file.txt").c_str()));
    std::string missingShare = folder.path() + "-share";
    int created = -1;
    EXPECT_FALSE(makeDirectories(("/" + missingShare + "/dir/f").c_str(), &created));
    EXPECT_FALSE(platform::pathExists(missingShare.c_str()));
    EXPECT_TRUE(makeDirectories(("/" + folder.path() + "/dir/f").c_str(), &created));
    EXPECT_EQ(created, 1);
    std::system(("rm -rf '" + missingShare + "'").c_str());
}

TEST(IsFullPath, TakesDriveRootsNetworkPathsAndTheHostRootOnly) {
    for (const char* path : {"C:\\Program Files", "d:/x", "\\\\server\\share", "//s/x", "/tmp/x"})
        EXPECT_TRUE(isFullPath(path)) << path;
    for (const char* path : {"C:relative", "C:", "relative\\dir", "1:\\x", ""})
        EXPECT_FALSE(isFullPath(path)) << path;
}
