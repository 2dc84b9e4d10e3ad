#include "engine/BackupFile.h"

#include "tests/native/TempFolder.h"
#include "tests/native/engine/BackupBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
using backupbytes::entry;
std::string rendered(const ErrorList& errors) {
    char text[512];
    errors.render(text, sizeof text);
    return text;
}
} // namespace

// Entries hold whole paths up to 777 bytes (259 characters of 3 bytes), the old content and both
// checks, and read back; a failed entry is taken back and every later one refused.
TEST(BackupFile, EntriesHoldWholePathsUpTo777BytesAndAFailureStopsTheFile) {
    TempFolder folder;
    std::string kept = folder / "kept.txt", other = folder / "other.bin";
    std::string longest = folder.path();
    for (int level = 0; level < 3; ++level)
        ASSERT_EQ(mkdir((longest += "/" + std::string(200, 'd')).c_str(), 0700), 0);
    longest += "/" + std::string(BackupFile::kMaxNameLength - longest.size() - 1, 'n');
    writeAll(kept, "kept");
    writeAll(longest, "");
    writeAll(other, backupbytes::file());
    BackupFile file;
    file.openForWrite((folder / "backup.bin").c_str());
    EXPECT_TRUE(file.addFile(kept.c_str(), 0x11223344).empty());
    EXPECT_TRUE(file.addFile(other.c_str(), 1).empty()); // a backup file is never backed up
    EXPECT_TRUE(file.addFile(longest.c_str(), 7).empty());
    EXPECT_EQ(rendered(file.addFile((longest + "n").c_str(), 1)),
              "[BackupFile::addFile] File name too long (778 bytes, at most 777)");
    file.close();
    EXPECT_EQ(readAll(folder / "backup.bin"),
              backupbytes::file(entry(kept, "kept", 0x11223344) + entry(longest, "", 7)));
    std::vector<BackupFile::Entry> entries;
    ASSERT_EQ(file.openForRead((folder / "backup.bin").c_str()), BackupFile::Opened::kOk);
    ASSERT_TRUE(file.readEntries(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, longest);
    // A name longer than any the engine writes is damage.
    writeAll(folder / "crafted.bin", backupbytes::file(entry(longest + "n", "", 7)));
    ASSERT_EQ(file.openForRead((folder / "crafted.bin").c_str()), BackupFile::Opened::kOk);
    EXPECT_FALSE(file.readEntries(entries));
    file.close();
    BackupFile second;
    EXPECT_EQ(rendered(second.addFile(kept.c_str(), 1)), "[BackupFile::addFile] Not in write mode");
    EXPECT_EQ(second.openForRead((folder / "missing.bin").c_str()), BackupFile::Opened::kMissing);
    second.openForWrite((folder / "second.bin").c_str());
    EXPECT_TRUE(second.addFile(kept.c_str(), 1).empty());
    EXPECT_EQ(rendered(second.addFile((folder / "missing.txt").c_str(), 2)),
              "[BackupFile::addFile] Error opening file");
    EXPECT_EQ(rendered(second.addFile(kept.c_str(), 3)),
              "[BackupFile::addFile] There is a previous error");
    second.close();
    EXPECT_EQ(readAll(folder / "second.bin"), backupbytes::file(entry(kept, "kept", 1)));
}

// A backup file names the code page of its entries' names; a version 2 file, written before
// backups did, is in the system's ANSI code page (1252 in the native build). The names reach the
// engine in UTF-8; a name not valid in its code page is damage.
TEST(BackupFile, EntryNamesReachTheEngineInItsCodePage) {
    using backupbytes::littleEndian;
    const std::string header = std::string(BackupFile::kHeader) + '\0';
    const std::string end("\1\0\0", 3);
    struct Row {
        std::string head;
        bool read;
    } rows[] = {
        {header + littleEndian(2, 4), true},
        {header + littleEndian(3, 4) + littleEndian(1252, 4), true},
        {header + littleEndian(3, 4) + littleEndian(65001, 4), false},
        {header + littleEndian(4, 4) + littleEndian(1252, 4), false},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        writeAll(folder / "b.bin", row.head + entry("C:\\D\xE9mo\\a.txt", "old", 1) + end);
        BackupFile file;
        std::vector<BackupFile::Entry> entries;
        bool read = file.openForRead((folder / "b.bin").c_str()) == BackupFile::Opened::kOk &&
                    file.readEntries(entries);
        EXPECT_EQ(read, row.read) << row.head.size();
        if (read)
            EXPECT_EQ(entries.at(0).name, "C:\\D\xC3\xA9mo\\a.txt");
    }
}
