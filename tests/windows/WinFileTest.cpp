#include "package/WinFile.h"
#include "package/Utf8Text.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

// Close without a handle must not "close" the process's pseudo handle (the invalid handle value);
// a path over 259 characters is refused, never cut to name another file.
TEST(WinFile, FailedOpensLeaveNothingOpenAndLongPathsAreRefused) {
    std::string missing = EngineProcess::tempFolder() + "kestrel-missing.txt";
    DeleteFileA(missing.c_str());
    WinFile file;
    EXPECT_EQ(file.openPath(missing.c_str(), GENERIC_READ, FILE_SHARE_READ, 0),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.close());
    std::string tooLong = EngineProcess::tempFolder() + std::string(fileaccess::kPathSize, 'a');
    EXPECT_EQ(file.openPath(tooLong.c_str(), GENERIC_WRITE, 0, 3),
              fileaccess::kErrorFilenameTooLong);
    EXPECT_FALSE(file.isOpen());
}

// Mode 3 creates or empties the file, mode 2 opens it as it is; a log lets others only read.
TEST(WinFile, CreationModesAndLogSharing) {
    std::string path = EngineProcess::tempFolder() + "kestrel-modes.bin";
    ASSERT_TRUE(writeAll(path, "abcde"));
    WinFile file, reader;
    ASSERT_EQ(file.openPath(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 2), 0);
    EXPECT_EQ(file.size(), 5);
    file.close();
    ASSERT_EQ(file.openPath(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, 3), 0);
    EXPECT_EQ(file.size(), 0);
    file.close();
    ASSERT_TRUE(writeAll(path, "abcde"));
    ASSERT_TRUE(file.openLog(path.c_str()));
    EXPECT_EQ(file.size(), 0);
    const uint32_t shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
    EXPECT_EQ(reader.openPath(path.c_str(), GENERIC_READ, shareAll, 0), 0);
    EXPECT_EQ(WinFile().openPath(path.c_str(), GENERIC_WRITE, shareAll, 0),
              ERROR_SHARING_VIOLATION);
    reader.close();
    file.close();
    DeleteFileA(path.c_str());
}

// In UTF-8 the limit counts characters: a path of 259 characters takes a file however many bytes
// they need (here far more than 260), one character more is refused.
TEST(WinFile, PathsWithinTheCharacterLimitOpenWhateverTheirBytes) {
    if (GetACP() != CP_UTF8)
        GTEST_SKIP() << "the process code page is not UTF-8";
    std::string level;
    for (int i = 0; i < 50; ++i)
        level += "\xE6\x97\xA5"; // 日: a level of 150 bytes
    const std::string parent = EngineProcess::tempFolder() + "kestrel-" + level;
    const std::string folder = parent + "\\" + level;
    for (const std::string& made : {parent, folder})
        ASSERT_TRUE(CreateDirectoryA(made.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    std::string longest = folder + "\\";
    // The file's name stays within the host's 255 bytes a level.
    for (int i = 0; Utf8Text::utf16Length(longest.data(), longest.size()) < 259; ++i)
        longest += i < 100 ? "\xC3\xA9" : "a"; // é
    WinFile file;
    ASSERT_EQ(file.openPath(longest.c_str(), GENERIC_WRITE, 0, 3), 0) << longest.size();
    uint32_t written = 0;
    EXPECT_EQ(file.write("x", 1, &written), 0);
    file.close();
    EXPECT_EQ(WinFile::sizeOfFile(longest.c_str()), 1);
    EXPECT_EQ(file.openPath((longest + "\xC3\xA9").c_str(), GENERIC_WRITE, 0, 3),
              fileaccess::kErrorFilenameTooLong);
    DeleteFileA(longest.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(parent.c_str());
}
