#include "engine/BackupFile.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string littleEndian(uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}
std::string entry(const std::string& name, const std::string& data, uint32_t sum) {
    return littleEndian(name.size() + 1, 2) + name + '\0' + littleEndian(data.size(), 8) +
           littleEndian(sum, 4) + data;
}
std::string backupFile(const std::string& entries = "") {
    return std::string(BackupFile::kHeader) + '\0' + entries + std::string("\1\0\0", 3);
}
std::string rendered(const ErrorList& errors) {
    char text[512];
    errors.render(text, sizeof text);
    return text;
}

class BackupFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeAll(kept, "kept");
        file.openForWrite(backup.c_str());
    }
    TempFolder folder;
    std::string backup = folder / "backup.bin", kept = folder / "kept.txt";
    BackupFile file;
};
} // namespace

TEST_F(BackupFileTest, EntriesHoldTheOldContentAndTheInstalledCheckSum) {
    std::string empty = folder / "empty.txt";
    writeAll(empty, "");
    EXPECT_TRUE(file.addFile(kept.c_str(), 0x11223344).empty());
    EXPECT_TRUE(file.addFile(empty.c_str(), 7).empty());
    file.close();
    EXPECT_EQ(file.mode(), BackupFile::kClosed);
    EXPECT_EQ(readAll(backup), backupFile(entry(kept, "kept", 0x11223344) + entry(empty, "", 7)));
}

TEST_F(BackupFileTest, NeverBacksUpABackupFileAndRefusesAPathItCannotKeepWhole) {
    std::string other = folder / "other-backup.bin";
    writeAll(other, backupFile());
    EXPECT_TRUE(file.addFile(other.c_str(), 1).empty());
    std::string tooLong = "/" + std::string(BackupFile::kMaxNameLength, 'n');
    EXPECT_EQ(rendered(file.addFile(tooLong.c_str(), 1)),
              "[BackupFile::addFile] File name too long (511 characters)");
    file.close();
    EXPECT_EQ(readAll(backup), backupFile());
}

TEST_F(BackupFileTest, AFailedEntryIsTakenBackAndEveryLaterOneRefused) {
    EXPECT_TRUE(file.addFile(kept.c_str(), 1).empty());
    EXPECT_EQ(rendered(file.addFile((folder / "missing.txt").c_str(), 2)),
              "[BackupFile::addFile] Error opening file");
    EXPECT_TRUE(file.hasError());
    EXPECT_EQ(rendered(file.addFile(kept.c_str(), 3)),
              "[BackupFile::addFile] There is a previous error");
    file.close();
    EXPECT_EQ(readAll(backup), backupFile(entry(kept, "kept", 1)));
}

TEST_F(BackupFileTest, ModesAndAFileThatCannotBeCreated) {
    BackupFile closed;
    EXPECT_EQ(rendered(closed.addFile(kept.c_str(), 1)), "[BackupFile::addFile] Not in write mode");
    closed.openForWrite((folder / "no/such/folder/backup.bin").c_str());
    EXPECT_EQ(closed.mode(), BackupFile::kWriting);
    EXPECT_EQ(rendered(closed.addFile(kept.c_str(), 1)),
              "[BackupFile::addFile] There is a previous error");
    closed.close();
    EXPECT_EQ(closed.openForRead((folder / "missing.bin").c_str()), -1);
    EXPECT_EQ(closed.mode(), BackupFile::kClosed);
}
