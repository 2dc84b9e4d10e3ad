// The Windows file class against the real file system (under Wine).
#include "package/WinFile.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

// Close without a handle answers ERROR_INVALID_HANDLE (the invalid handle value is also the
// process's pseudo handle, which the system would "close"); a path over 259 characters is
// refused, never cut to name another file.
TEST(WinFile, FailedOpensLeaveNothingOpenAndLongPathsAreRefused) {
    std::string missing = EngineProcess::tempFolder() + "kestrel-missing.txt";
    DeleteFileA(missing.c_str());
    WinFile file;
    EXPECT_EQ(file.openPath(missing.c_str(), GENERIC_READ, FILE_SHARE_READ, 0),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.close(), ERROR_INVALID_HANDLE);
    std::string tooLong = EngineProcess::tempFolder() + std::string(fileaccess::kPathSize, 'a');
    EXPECT_EQ(file.openPath(tooLong.c_str(), GENERIC_WRITE, 0, 3),
              fileaccess::kErrorFilenameTooLong);
    EXPECT_FALSE(file.isOpen());
}

// Mode 3 creates or empties the file, mode 2 opens it as it is; a log is created or emptied and
// lets others only read while it is open.
TEST(WinFile, CreationModesSizesPositionsAndLogSharing) {
    std::string path = EngineProcess::tempFolder() + "kestrel-modes.bin";
    WinFile file, reader;
    ASSERT_EQ(file.openPath(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, 3), 0);
    uint32_t done = 0;
    EXPECT_EQ(file.write("abcde", 5, &done), 0);
    EXPECT_EQ(file.size(), 5);
    EXPECT_EQ(file.seekFromStart(1, 0), 0);
    char bytes[8] = {};
    EXPECT_EQ(file.read(bytes, sizeof bytes, &done), 0);
    EXPECT_EQ(std::string(bytes, done), "bcde");
    EXPECT_EQ(file.seekFromStart(2, 0), 0);
    EXPECT_EQ(file.position(), 2);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_NE(file.flush(), 0);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 2);
    ASSERT_EQ(file.openPath(path.c_str(), GENERIC_READ, FILE_SHARE_READ, 2), 0);
    EXPECT_EQ(file.size(), 2);
    file.close();
    ASSERT_EQ(file.openLog(path.c_str()), 0);
    EXPECT_EQ(file.size(), 0);
    const uint32_t shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
    EXPECT_EQ(reader.openPath(path.c_str(), GENERIC_READ, shareAll, 0), 0);
    EXPECT_EQ(WinFile().openPath(path.c_str(), GENERIC_WRITE, shareAll, 0),
              ERROR_SHARING_VIOLATION);
    reader.close();
    file.close();
    DeleteFileA(path.c_str());
}
