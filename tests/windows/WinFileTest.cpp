// The Windows file stream against the real file system (under Wine).
#include "package/WinFile.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {
std::string tempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}
constexpr uint32_t kReadWrite = GENERIC_READ | GENERIC_WRITE;
} // namespace

TEST(WinFile, OpenExistingOnAMissingFileFailsWithFileNotFound) {
    std::string path = tempPath("kestrel-missing.txt");
    DeleteFileA(path.c_str());
    WinFile file;
    EXPECT_EQ(file.openPath(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 0), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.openCount(), 0);
    EXPECT_EQ(file.close(), ERROR_INVALID_HANDLE);
}

TEST(WinFile, CreationModesSizesAndPositions) {
    std::string path = tempPath("kestrel-modes.bin");
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, FILE_SHARE_READ, 3), 0);
    EXPECT_EQ(file.atEnd(), 1);
    uint32_t written = 0;
    EXPECT_EQ(file.writeString("abc", 3, &written), 0);
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(file.size(), 5);
    EXPECT_EQ(file.position(), 5);
    EXPECT_EQ(file.seekFromStart(0, 0), 0);
    char text[8];
    uint16_t capacity = sizeof text;
    uint32_t got = 0;
    EXPECT_EQ(file.readText(text, &capacity, &got), 0);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(file.atEnd(), 1);
    EXPECT_EQ(file.seekFromEnd(-1, -1), 0);
    EXPECT_EQ(file.position(), 4);
    EXPECT_EQ(file.seekFromCurrent(-2, -1), 0);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_EQ(file.size(), 2);
    EXPECT_NE(file.flush(), 0);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 2);

    // Mode 2 opens the existing file as it is; mode 3 empties it.
    ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, FILE_SHARE_READ, 2), 0);
    EXPECT_EQ(file.size(), 2);
    file.close();
    ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, FILE_SHARE_READ, 3), 0);
    EXPECT_EQ(file.size(), 0);
    file.close();
    DeleteFileA(path.c_str());
}

TEST(WinFile, LogOpenAppendsAndLetsOthersOnlyRead) {
    std::string path = tempPath("kestrel-log.txt");
    DeleteFileA(path.c_str());
    {
        WinFile log;
        ASSERT_EQ(log.openLog(path.c_str(), 0), 0);
        EXPECT_EQ(log.writeText("one"), 0);
    }
    WinFile log;
    ASSERT_EQ(log.openLog(path.c_str(), 1), 0);
    EXPECT_EQ(log.position(), 3);
    EXPECT_EQ(log.writeText("two"), 0);

    WinFile reader;
    EXPECT_EQ(reader.openPath(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0),
              0);
    char bytes[8] = {};
    uint32_t got = 0;
    EXPECT_EQ(reader.read(bytes, sizeof bytes, &got), 0);
    EXPECT_EQ(std::string(bytes, got), "onetwo");
    WinFile writer;
    EXPECT_EQ(writer.openPath(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0),
              ERROR_SHARING_VIOLATION);
    reader.close();
    log.close();

    // Create mode empties an existing log.
    ASSERT_EQ(log.openLog(path.c_str(), 0), 0);
    EXPECT_EQ(log.size(), 0);
    log.close();
    DeleteFileA(path.c_str());
}

TEST(WinFile, PathThatDoesNotFitIsRefused) {
    std::string path = tempPath("") + std::string(280, 'x');
    WinFile file;
    EXPECT_EQ(file.openPath(path.c_str(), kReadWrite, 0, 3), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(file.openLog(path.c_str(), 0), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(file.isOpen());
}
