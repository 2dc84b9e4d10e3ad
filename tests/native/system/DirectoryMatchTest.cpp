#include "system/DirectoryMatch.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(DirectoryMatch, TextIgnoresCaseQuotesSeparatorsAndTrailingSeparators) {
    struct Pair {
        const char *listed, *wanted;
        bool same;
    } const pairs[] = {
        {"C:\\", "c:\\\\", true},
        {"C:\\", "C:", false},
        {"", "", false},
    };
    for (const Pair& pair : pairs)
        EXPECT_EQ(DirectoryMatch::sameText(pair.listed, pair.wanted), pair.same) << pair.listed;
}

TEST(DirectoryMatch, ProbeFollowsTheFileSystemAndKeepsAFileItDidNotWrite) {
    TempFolder folder;
    mkdir((folder / "real").c_str(), 0755);
    mkdir((folder / "other").c_str(), 0755);
    ASSERT_EQ(symlink((folder / "real").c_str(), (folder / "link").c_str()), 0);
    EXPECT_TRUE(DirectoryMatch::isSameDirectory(folder / "link", folder / "real"));
    EXPECT_FALSE(DirectoryMatch::isSameDirectory(folder / "other", folder / "real"));
    EXPECT_EQ(readAll(folder / "real/test$$$$.$$$file"), "") << "the probe was left behind";
    writeAll(folder / "other/test$$$$.$$$file", "theirs");
    EXPECT_FALSE(DirectoryMatch::isSameDirectory(folder / "other", folder / "other"));
    EXPECT_EQ(readAll(folder / "other/test$$$$.$$$file"), "theirs");
}
