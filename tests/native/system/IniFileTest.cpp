#include "system/IniFile.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

// A missing key removes the section, a missing value the key.
TEST(IniFile, WriteFollowsTheAnchorBeforeKeyAndSectionRules) {
    const std::optional<std::string> none;
    const struct {
        const char *what, *before;
        std::optional<std::string> key, value;
        const char *beforeKey, *after;
    } rows[] = {
        {"new key after the section's last key, before its comments",
         "[A]\r\nx=1\r\n; c\r\n\r\n[B]\r\n", "k", "v", "",
         "[A]\r\nx=1\r\nk=v\r\n; c\r\n\r\n[B]\r\n"},
        {"before-key: the old line moves in front of it", "[A]\nk=old\nx=1\ny=2\n", "k", "new", "y",
         "[A]\nx=1\nk=new\ny=2\n"},
        {"existing key replaced in place", "[A]\nk=1\n", "k", "2", "", "[A]\nk=2\n"},
        {"key removed; section names ignore case", "[a]\r\nk=1\r\nj=2\r\n", "k", none, "",
         "[a]\r\nj=2\r\n"},
        {"section added to a file without a last line end", "[B]\r\ny=2", "k", "v", "",
         "[B]\r\ny=2\r\n[A]\r\nk=v"},
        {"spaces around = and key case never match", "[A]\nk = 1\nK=2\n", "k", "v", "",
         "[A]\nk = 1\nK=2\nk=v\n"},
        {"section removed with its key lines, comments stay", "[A]\nx=1\n;c\n[B]\ny=2\n", none,
         none, "", ";c\n[B]\ny=2\n"},
        {"new file", "", "k", "v", "", "[A]\r\nk=v\r\n"},
    };
    for (const auto& row : rows) {
        IniFile file;
        file.parse(row.before);
        file.write("A", row.key, row.value, row.beforeKey);
        EXPECT_EQ(file.text(), row.after) << row.what;
    }
}

TEST(IniFile, SaveKeepsLongLinesLineEndsAndOtherBytesAndLeavesNoTemporaryFile) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    std::string head = "\xEF\xBB\xBF[A]\r\n; note \r\n\r\nLong=" + std::string(10000, 'x') + "\nk=";
    std::string tail = "\r\n[B]\n  odd line\ny=2";
    writeAll(path, head + "1" + tail);
    // What a save killed before its move left: gone with the next load.
    writeAll(path + ".~kestrel", "half of an earlier save");
    IniFile file;
    ASSERT_EQ(file.load(path), IniFile::Status::Ok);
    EXPECT_FALSE(exists(path + ".~kestrel"));
    file.write("A", "k", "2", "");
    ASSERT_EQ(file.save(path), IniFile::Status::Ok);
    EXPECT_EQ(readAll(path), head + "2" + tail);
    EXPECT_FALSE(exists(path + ".~kestrel")) << "the temporary file was left behind";
}

// Each row: the file's bytes, the encoding they are read in (empty: refused), the value of
// [A]/k as the engine sees it. A file that is read is saved unedited as the same bytes.
TEST(IniFile, LoadTellsTheFileEncodingAndRefusesBytesThatWouldNotComeBack) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    const struct {
        std::string bytes;
        const char *encoding, *value;
    } rows[] = {
        {"[A]\r\nk=Caf\xE9\r\n", "code page 1252", "Caf\xC3\xA9"},
        {"[A]\nk=plain", "code page 1252", "plain"},
        {"[A]\nk=Caf\xC3\xA9\n", "UTF-8", "Caf\xC3\xA9"},
        {"\xEF\xBB\xBF[A]\nk=x\n", "UTF-8", "x"},
        {std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0\xB1\x03", 16), "UTF-16LE", "\xCE\xB1"},
        {"", "ANSI or UTF-16LE", nullptr},
        {std::string("\xFE\xFF\0[", 4), "", nullptr},            // UTF-16BE
        {std::string("[A]\nk=\0\n", 8), "", nullptr},            // NUL in 8-bit text
        {std::string("\xFF\xFE[\0A", 5), "", nullptr},           // half a UTF-16 unit
        {std::string("\xFF\xFEk\0=\0\x00\xD8", 8), "", nullptr}, // lone surrogate
        {std::string("\xFF\xFEk\0=\0\0\0", 8), "", nullptr},     // U+0000
        {"\xEF\xBB\xBF[A]\nk=\xE9\n", "", nullptr},              // no UTF-8 behind the mark
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        writeAll(path, row.bytes);
        IniFile file;
        bool refused = *row.encoding == '\0';
        ASSERT_EQ(file.load(path), refused ? IniFile::Status::Unsupported : IniFile::Status::Ok);
        if (refused)
            continue;
        EXPECT_EQ(file.encodingName(), row.encoding);
        std::optional<std::string> value = file.valueOf("A", "k");
        EXPECT_EQ(value.value_or("none"), row.value ? row.value : "none");
        ASSERT_EQ(file.save(path), IniFile::Status::Ok);
        EXPECT_EQ(readAll(path), row.bytes);
    }
}
