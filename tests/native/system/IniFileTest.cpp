#include "system/IniFile.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

namespace {
// A null key removes the section, a null value the key.
struct WriteCase {
    const char *what, *before, *key, *value, *beforeKey, *after;
};

const WriteCase kWriteCases[] = {
    {"new key after the section's last key, before its comments",
     "[A]\r\nx=1\r\n; c\r\n\r\n[B]\r\n", "k", "v", nullptr,
     "[A]\r\nx=1\r\nk=v\r\n; c\r\n\r\n[B]\r\n"},
    {"before-key: the old line moves in front of it", "[A]\nk=old\nx=1\ny=2\n", "k", "new", "y",
     "[A]\nx=1\nk=new\ny=2\n"},
    {"existing key replaced in place", "[A]\nk=1\n", "k", "2", nullptr, "[A]\nk=2\n"},
    {"a key placed before itself is replaced in place, its first line", "[A]\nk=1\nx=0\nk=2\n", "k",
     "new", "k", "[A]\nk=new\nx=0\nk=2\n"},
    {"key removed; section names ignore case", "[a]\r\nk=1\r\nj=2\r\n", "k", nullptr, nullptr,
     "[a]\r\nj=2\r\n"},
    {"section added to a file without a last line end", "[B]\r\ny=2", "k", "v", nullptr,
     "[B]\r\ny=2\r\n[A]\r\nk=v"},
    {"a last section differing in case takes the key", "[a]\nx=1\n", "k", "v", nullptr,
     "[a]\nx=1\nk=v\n"},
    {"spaces around = and key case never match", "[A]\nk = 1\nK=2\n", "k", "v", nullptr,
     "[A]\nk = 1\nK=2\nk=v\n"},
    {"section removed with its key lines, comments stay", "[A]\nx=1\n;c\n[B]\ny=2\n", nullptr,
     nullptr, nullptr, ";c\n[B]\ny=2\n"},
    {"new file", "", "k", "v", nullptr, "[A]\r\nk=v\r\n"},
};
} // namespace

TEST(IniFile, WriteFollowsTheAnchorBeforeKeyAndSectionRules) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    for (const WriteCase& c : kWriteCases) {
        writeAll(path, c.before);
        EXPECT_EQ(IniFile::writeIni(path.c_str(), "A", c.key, c.value, c.beforeKey), 1) << c.what;
        EXPECT_EQ(readAll(path), c.after) << c.what;
    }
}

TEST(IniFile, KeepsLongLinesLineEndsAndOtherBytesWhenRewriting) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    std::string longLine = "Long=" + std::string(10000, 'x');
    std::string head = "\xEF\xBB\xBF[A]\r\n; note \r\n\r\n" + longLine + "\nk=";
    std::string tail = "\r\n[B]\n  odd line\ny=2";
    writeAll(path, head + "1" + tail);
    ASSERT_EQ(IniFile::writeIni(path.c_str(), "A", "k", "2", nullptr), 1);
    EXPECT_EQ(readAll(path), head + "2" + tail);
    EXPECT_EQ(readAll(path + ".~0"), "") << "the temporary file was left behind";
    char value[16];
    EXPECT_EQ(IniFile::readIni(path.c_str(), "A", "Long", nullptr, value, sizeof value), -1);
}

TEST(IniFile, RefusesFilesItCannotWriteBackExactly) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    for (std::string bytes : {std::string("\xFF\xFE[\0A\0]\0", 8), std::string("\xFE\xFF\0[", 4),
                              std::string("[A]\nk=\0\n", 8)}) {
        writeAll(path, bytes);
        EXPECT_EQ(IniFile::writeIni(path.c_str(), "A", "k", "v", nullptr), 0);
        EXPECT_EQ(readAll(path), bytes);
    }
}
