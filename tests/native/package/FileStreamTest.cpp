#include "package/WinFile.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace fileaccess;

TEST(WinFileHost, LengthPrefixedTextsAreReadWholeOrRefused) {
    TempFolder folder;
    std::string path = folder / "texts.bin";
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), kRead | kWrite, kShareRead, kCreateOrEmpty), 0);
    uint32_t done = 0;
    for (const char* text : {"hello", "abc", "abcdefgh"})
        file.writeString(text, static_cast<uint16_t>(std::strlen(text)), &done);
    file.write("\x05\x00xy", 4, &done); // a length that runs past the end
    EXPECT_EQ(readAll(path), std::string("\x05\0hello\x03\0abc\x08\0abcdefgh\x05\0xy", 26));
    ASSERT_EQ(file.seekFromStart(0, 0), 0);
    char buffer[16] = "xxxxxxxxxxxxxxx";
    uint16_t length = 0;
    EXPECT_EQ(file.readString(buffer, &length, &done), 0);
    EXPECT_EQ(std::string(buffer, 6) + std::to_string(length), "hellox5"); // not terminated
    EXPECT_EQ(file.readText(buffer, &(length = 4), &done), 0);
    EXPECT_EQ(buffer + std::to_string(length), "abc3");
    // A text as long as the buffer would be cut: refused, and only its prefix is consumed.
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), -1);
    EXPECT_EQ(file.seekFromCurrent(8, 0), 0);
    EXPECT_EQ(file.readText(buffer, &(length = 8), &done), 0);
    EXPECT_STREQ(buffer, "xy");
    EXPECT_EQ(file.readString(buffer, &length, &done), -1);
}

// Close without a handle answers ERROR_INVALID_HANDLE, so the open count stays at zero; a path
// over 259 characters is refused, never cut.
TEST(WinFileHost, CloseWithoutAHandleAnswersInvalidHandleAndPathsOver259CharactersAreRefused) {
    TempFolder folder;
    WinFile file;
    EXPECT_EQ(file.openPath((folder / "missing").c_str(), kRead, kShareRead, kOpenExisting), 2);
    EXPECT_EQ(file.close(), kErrorInvalidHandle);
    std::string longest = folder / std::string(kPathSize - 2 - folder.path().size(), 'a');
    ASSERT_EQ(file.openPath(longest.c_str(), kWrite, 0, kCreateOrEmpty), 0);
    EXPECT_EQ(file.openCount(), 1);
    EXPECT_EQ(file.openPath((longest + "b").c_str(), kWrite, 0, kCreateOrEmpty),
              kErrorFilenameTooLong);
    EXPECT_EQ(file.path(), longest);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(file.close(), kErrorInvalidHandle);
    EXPECT_EQ(file.openCount(), 0);
}
