// The backup file: the previous content of every file an installation overwrote, so that an
// uninstall or a rollback can put it back. Binary, little-endian:
//   header: the text kHeader, a zero byte, the format version (32 bits), the code page of the
//     entry names (32 bits; version 3 on, a version 2 file's names are in the system's ANSI
//     code page);
//   entries: name length (16 bits, with the zero), the whole path and its zero, the previous
//     size (64 bits), the CRC-32 of the content the installation wrote, the CRC-32 of the
//     previous content saved here, then the previous content;
//   end entry: name length 1 and a zero byte.
// The reader refuses what this engine did not write: another header or version, an entry whose
// name is no whole path or whose data runs past the file. Saved bytes are checked against their
// CRC before anything is written back (BackupRestore).
#pragma once

#include "package/ErrorList.h"
#include "package/WinFile.h"

#include <cstdint>
#include <string>
#include <vector>

class BackupFile {
  public:
    static constexpr const char* kHeader = "Varnex Software installer backup file.\n";
    static constexpr uint32_t kFormatVersion = 3;
    // Entry names hold whole paths in bytes: any path within the system's limit of 259
    // characters, up to 777 bytes in UTF-8 (the 16-bit name length holds far more). Files of
    // earlier engines, whose names held at most 510 bytes, read as they did.
    static constexpr int kMaxNameLength = fileaccess::kPathSize - 1;

    BackupFile() = default;
    ~BackupFile() { close(); }
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // A file that cannot be created leaves the backup in its error state: every addFile then
    // fails with "There is a previous error".
    void openForWrite(const char* path);
    // Appends the current content of `path`, recorded with the CRC-32 of what the installation
    // is about to write there. On failure the partial entry is taken back and the backup refuses
    // every further entry.
    ErrorList addFile(const char* path, uint32_t installedCheck);
    // Writes the end entry when writing; closes in any mode.
    void close();

    enum class Opened { kOk, kMissing, kUnreadable, kNotABackup };
    // Opens for reading and checks the header and the format version.
    Opened openForRead(const char* path);

    struct Entry {
        std::string name;
        int64_t size;
        uint32_t installedCheck;
        uint32_t savedCheck;
        int64_t dataOffset;
    };
    // The entries up to the end entry; false when one cannot be read whole or is damaged (those
    // before it are listed).
    bool readEntries(std::vector<Entry>& entries);
    // Whether the entry's saved bytes still have the CRC they were saved with.
    bool verify(const Entry& entry);
    // Writes the entry's saved bytes into `target`; false on a read or write error, or when the
    // bytes read differ from those saved.
    bool copyOut(const Entry& entry, WinFile& target);

  private:
    static bool isBackupFile(const char* path);
    ErrorList appendEntry(const char* path, uint32_t installedCheck);
    ErrorList copyContent(const char* path, int64_t size, uint32_t* savedCheck);
    // Reads the entry's data through `sink` piece by piece and checks its CRC on the way.
    template <typename Sink> bool readData(const Entry& entry, Sink sink);

    WinFile file_;
    bool writing_ = false;
    // Of the file being read: where its entries start and the code page of their names.
    int64_t entriesStart_ = 0;
    unsigned nameCodePage_ = 0;
    bool failed_ = false;
};
