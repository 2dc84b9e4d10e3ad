// The Windows file stream against the real file system (under Wine).
#include "package/WinFile.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

namespace {
constexpr uint32_t kReadWrite = GENERIC_READ | GENERIC_WRITE;
} // namespace

// Close without a handle answers ERROR_INVALID_HANDLE, so the open count never goes negative.
TEST(WinFile, FailedOpensLeaveNothingOpen) {
    std::string missing = EngineProcess::tempFolder() + "kestrel-missing.txt";
    DeleteFileA(missing.c_str());
    WinFile file;
    EXPECT_EQ(file.openPath(missing.c_str(), GENERIC_READ, FILE_SHARE_READ, 0),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.close(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(file.openCount(), 0);
}

// Mode 3 creates or empties the file, mode 2 opens it as it is.
TEST(WinFile, CreationModesSizesAndPositions) {
    std::string path = EngineProcess::tempFolder() + "kestrel-modes.bin";
    WinFile file;
    ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, FILE_SHARE_READ, 3), 0);
    EXPECT_EQ(file.writeText("abcde"), 0);
    EXPECT_EQ(file.size(), 5);
    EXPECT_EQ(file.seekFromStart(1, 0), 0);
    char bytes[8] = {};
    uint32_t got = 0;
    EXPECT_EQ(file.read(bytes, sizeof bytes, &got), 0);
    EXPECT_EQ(std::string(bytes, got), "bcde");
    EXPECT_EQ(file.atEnd(), 1);
    EXPECT_EQ(file.seekFromEnd(-1, -1), 0);
    EXPECT_EQ(file.position(), 4);
    EXPECT_EQ(file.seekFromCurrent(-2, -1), 0);
    EXPECT_EQ(file.truncate(), 0);
    EXPECT_NE(file.flush(), 0);
    EXPECT_EQ(file.close(), 0);
    EXPECT_EQ(WinFile::sizeOfFile(path.c_str()), 2);
    for (auto [mode, size] : {std::pair{2, 2}, std::pair{3, 0}}) {
        ASSERT_EQ(file.openPath(path.c_str(), kReadWrite, FILE_SHARE_READ, mode), 0);
        EXPECT_EQ(file.size(), size) << mode;
        file.close();
    }
    DeleteFileA(path.c_str());
}

// Mode 1 appends (mode 0 empties an existing log as creation mode 3 does).
TEST(WinFile, LogOpenAppendsAndLetsOthersOnlyRead) {
    std::string path = EngineProcess::tempFolder() + "kestrel-log.txt";
    DeleteFileA(path.c_str());
    WinFile log, reader, writer;
    ASSERT_EQ(log.openLog(path.c_str(), 0), 0);
    EXPECT_EQ(log.writeText("one"), 0);
    log.close();
    ASSERT_EQ(log.openLog(path.c_str(), 1), 0);
    EXPECT_EQ(log.position(), 3);
    EXPECT_EQ(log.writeText("two"), 0);
    const uint32_t shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;
    EXPECT_EQ(reader.openPath(path.c_str(), GENERIC_READ, shareAll, 0), 0);
    char bytes[8] = {};
    uint32_t got = 0;
    EXPECT_EQ(reader.read(bytes, sizeof bytes, &got), 0);
    EXPECT_EQ(std::string(bytes, got), "onetwo");
    EXPECT_EQ(writer.openPath(path.c_str(), GENERIC_WRITE, shareAll, 0), ERROR_SHARING_VIOLATION);
    reader.close();
    log.close();
    DeleteFileA(path.c_str());
}
