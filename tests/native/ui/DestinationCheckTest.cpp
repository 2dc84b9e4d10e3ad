// The folder of a "Directory" field, checked on its page over a made-up file system, and the
// folder Browse gives for the one the user picked.
#include "ui/DestinationCheck.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
using Kind = platform::PathKind;
using Problem = DestinationCheck::Problem;

// Drive C: with a folder and a file; the share \\server\share.
const std::map<std::string, Kind> kDisk = {
    {"C:\\", Kind::kDirectory},
    {"C:\\Apps", Kind::kDirectory},
    {"C:\\Apps\\notes.txt", Kind::kFile},
    {"\\\\server\\share\\", Kind::kDirectory},
};

Kind probe(const char* path) {
    auto found = kDisk.find(path);
    return found != kDisk.end() ? found->second : Kind::kNothing;
}

bool shorterThan40(const char* folder) {
    return std::string(folder).size() < 40;
}
} // namespace

TEST(DestinationCheck, RefusesEachFolderTheInstallationCouldNotUseWithItsReason) {
    const struct {
        const char* folder;
        Problem problem;
        const char* namedInReason;
    } cases[] = {
        {"C:\\Apps\\Product", Problem::kNone, ""},
        {"C:\\New\\Deeper\\Product", Problem::kNone, ""},
        {"\\\\server\\share\\Product", Problem::kNone, ""},
        {"Apps\\Product", Problem::kNotFullPath, "\"Apps\\Product\" is not a full path"},
        {"C:Product", Problem::kNotFullPath, "not a full path"},
        {"C:\\Apps\\Pro?duct", Problem::kBadCharacter, "not a valid folder name"},
        {"C:\\Apps\\a:b", Problem::kBadCharacter, "not a valid folder name"},
        {"C:\\Apps\\CON", Problem::kDeviceName, "names a device"},
        {"C:\\nul.txt\\Product", Problem::kDeviceName, "names a device"},
        {"\\\\other\\share\\Product", Problem::kNoDrive, "\\\\other\\share\\ of"},
        {"\\\\server", Problem::kNoDrive, "does not exist"},
        {"C:\\Apps\\notes.txt", Problem::kFileInTheWay, "is a file"},
        {"C:\\Apps\\A folder name far too long to hold the files", Problem::kTooLong, "too long"},
    };
    DestinationCheck check(probe);
    for (const auto& test : cases) {
        Problem problem = check.check(test.folder, shorterThan40);
        EXPECT_EQ(problem, test.problem) << test.folder;
        char reason[512];
        check.describe(problem, test.folder, reason, sizeof reason);
        EXPECT_NE(std::string(reason).find(test.namedInReason), std::string::npos)
            << test.folder << ": " << reason;
        // One sentence after the other: no line is broken inside a sentence.
        EXPECT_EQ(std::string(reason).find_first_of("\r\n"), std::string::npos) << reason;
    }
}

TEST(DestinationCheck, BrowseAppendsTheProductFolderToAPickedParent) {
    const struct {
        const char *picked, *shown, *result;
    } cases[] = {
        {"D:\\", "C:\\Program Files\\Kestrel Demo", "D:\\Kestrel Demo"},
        {"D:\\Tools\\kestrel demo", "C:\\Program Files\\Kestrel Demo", "D:\\Tools\\kestrel demo"},
        {"D:\\Tools\\", "C:\\Kestrel\\", "D:\\Tools\\Kestrel"},
        {"D:\\Tools", "", "D:\\Tools"},
    };
    for (const auto& test : cases) {
        char folder[64];
        EXPECT_TRUE(
            DestinationCheck::withProductLevel(test.picked, test.shown, folder, sizeof folder));
        EXPECT_STREQ(folder, test.result) << test.picked;
    }
    char small[12];
    EXPECT_FALSE(
        DestinationCheck::withProductLevel("D:\\Tools", "C:\\Kestrel", small, sizeof small));
    EXPECT_STREQ(small, "");
}
