// The backup file: the previous content of every file an installation overwrote, so that an
// uninstall or a rollback can put it back. Binary, little-endian:
//   header text + zero byte, then entries (16-bit name length incl. zero, name, 64-bit size,
//   32-bit check sum of the installed content, the old data), then the end entry (length 1, 0).
#pragma once

#include "package/ErrorList.h"
#include "package/WinFile.h"

#include <cstdint>
#include <string>
#include <vector>

class InstallerUI;
class Log;

class BackupFile {
  public:
    static constexpr const char* kHeader = "Varnex Software installer backup file.\n";
    static constexpr int kClosed = 0;
    static constexpr int kReading = 1;
    static constexpr int kWriting = 2;
    // Entry names hold whole paths; the reader takes at most 511 bytes with the zero.
    static constexpr int kMaxNameLength = 510;

    BackupFile() = default;
    ~BackupFile() { close(); }
    BackupFile(const BackupFile&) = delete;
    BackupFile& operator=(const BackupFile&) = delete;

    // A file that cannot be created leaves the backup in its error state: every addFile then
    // fails with "There is a previous error".
    void openForWrite(const char* path);
    // Appends the current content of `path`, recorded with the check sum of what the
    // installation is about to write there. On failure the partial entry is taken back and the
    // backup refuses every further entry.
    ErrorList addFile(const char* path, uint32_t installedCheckSum);
    // Writes the end entry when writing; closes in any mode.
    void close();
    // Returns 0, or -1 when the file cannot be opened (the mode is then closed).
    int openForRead(const char* path);

    // What a restore did. `complete`: every entry was read (the end entry reached).
    struct Restored {
        bool complete = true;
        int restored = 0;
        int left = 0;
        int failed = 0;
    };
    // Puts back the previous content of every entry whose file still has the check sum the
    // installation recorded, from the last entry to the first: when two file sets overwrote one
    // file, the later entry holds the first installed version and the earlier one the user's
    // content, and only this order brings the user's content back. Reports "Restore ",
    // "FAILED to restore " or "Left " and the path per entry; the step log gets a line for each.
    Restored restoreFiles(InstallerUI* ui, Log* stepLog);

    int mode() const { return mode_; }
    bool hasError() const { return error_ != 0; }

  private:
    struct Entry {
        std::string name;
        int64_t size;
        uint32_t sum;
        int64_t dataOffset;
    };

    static bool isBackupFile(const char* path);
    // The entries up to the end entry; false when one cannot be read whole (those before it
    // are listed).
    bool readEntries(std::vector<Entry>& entries);
    bool restoreEntry(const Entry& entry);
    ErrorList appendEntry(const char* path, uint32_t installedCheckSum);
    ErrorList copyContent(const char* path, int64_t size);

    WinFile file_;
    int mode_ = kClosed;
    int error_ = 0;
};
