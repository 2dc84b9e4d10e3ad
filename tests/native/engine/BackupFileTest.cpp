#include "engine/BackupFile.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string header() {
    return std::string(BackupFile::kHeader) + '\0';
}
std::string entry(const std::string& name, const std::string& data, uint32_t sum) {
    std::string bytes;
    uint16_t length = static_cast<uint16_t>(name.size() + 1);
    bytes += static_cast<char>(length & 0xff);
    bytes += static_cast<char>(length >> 8);
    bytes += name + '\0';
    uint64_t size = data.size();
    for (int i = 0; i < 8; ++i)
        bytes += static_cast<char>(size >> (8 * i));
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>(sum >> (8 * i));
    return bytes + data;
}
const std::string kEnd("\x01\x00\x00", 3);
} // namespace

TEST(BackupFile, EntriesHoldTheOldContentAndTheInstalledCheckSum) {
    TempFolder folder;
    std::string backup = folder / "backup.bin";
    std::string first = folder / "first.txt";
    std::string empty = folder / "empty.txt";
    writeAll(first, "old content");
    writeAll(empty, "");
    BackupFile file;
    file.openForWrite(backup.c_str());
    EXPECT_TRUE(file.addFile(first.c_str(), 0x11223344).empty());
    EXPECT_TRUE(file.addFile(empty.c_str(), 7).empty());
    file.close();
    EXPECT_EQ(file.mode(), BackupFile::kClosed);
    EXPECT_EQ(readAll(backup),
              header() + entry(first, "old content", 0x11223344) + entry(empty, "", 7) + kEnd);
}

TEST(BackupFile, NeverBacksUpABackupFile) {
    TempFolder folder;
    std::string other = folder / "other-backup.bin";
    writeAll(other, header() + kEnd);
    std::string backup = folder / "backup.bin";
    BackupFile file;
    file.openForWrite(backup.c_str());
    EXPECT_TRUE(file.addFile(other.c_str(), 1).empty());
    file.close();
    EXPECT_EQ(readAll(backup), header() + kEnd);
}

TEST(BackupFile, AFailedEntryIsTakenBackAndEveryLaterOneRefused) {
    TempFolder folder;
    std::string backup = folder / "backup.bin";
    std::string kept = folder / "kept.txt";
    writeAll(kept, "kept");
    BackupFile file;
    file.openForWrite(backup.c_str());
    EXPECT_TRUE(file.addFile(kept.c_str(), 1).empty());
    ErrorList missing = file.addFile((folder / "missing.txt").c_str(), 2);
    ASSERT_FALSE(missing.empty());
    char text[512];
    missing.render(text, sizeof text);
    EXPECT_STREQ(text, "[BackupFile::addFile] Error opening file");
    EXPECT_TRUE(file.hasError());
    ErrorList later = file.addFile(kept.c_str(), 3);
    later.render(text, sizeof text);
    EXPECT_STREQ(text, "[BackupFile::addFile] There is a previous error");
    file.close();
    EXPECT_EQ(readAll(backup), header() + entry(kept, "kept", 1) + kEnd);
}

TEST(BackupFile, ModesAndAFileThatCannotBeCreated) {
    TempFolder folder;
    std::string kept = folder / "kept.txt";
    writeAll(kept, "kept");
    BackupFile file;
    char text[512];
    file.addFile(kept.c_str(), 1).render(text, sizeof text);
    EXPECT_STREQ(text, "[BackupFile::addFile] Not in write mode");

    file.openForWrite((folder / "no/such/folder/backup.bin").c_str());
    EXPECT_EQ(file.mode(), BackupFile::kWriting);
    file.addFile(kept.c_str(), 1).render(text, sizeof text);
    EXPECT_STREQ(text, "[BackupFile::addFile] There is a previous error");
    file.close();

    EXPECT_EQ(file.openForRead((folder / "missing.bin").c_str()), -1);
    EXPECT_EQ(file.mode(), BackupFile::kClosed);
}

TEST(BackupFile, LongPathsAreKeptWholeOrRefused) {
    TempFolder folder;
    std::string backup = folder / "backup.bin";
    std::string tooLong = "/" + std::string(BackupFile::kMaxNameLength, 'n');
    BackupFile file;
    file.openForWrite(backup.c_str());
    ErrorList refused = file.addFile(tooLong.c_str(), 1);
    char text[512];
    refused.render(text, sizeof text);
    EXPECT_STREQ(text, "[BackupFile::addFile] File name too long (511 characters)");
    file.close();
    EXPECT_EQ(readAll(backup), header() + kEnd);
}
