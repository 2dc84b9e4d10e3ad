// The engine's one file class: every raw file access goes through it, so that the Windows file
// calls live in one class and the platform-neutral code can run natively. The Windows build
// uses the Win32 file calls; the native build (unit tests, fuzzing, the packer) implements the
// same class over POSIX. The calls whose failure callers explain (opening, reading, writing)
// return 0 or the system error code; the others say success with bool.
#pragma once

#include <cstdint>

namespace fileaccess {
constexpr uint32_t kRead = 0x80000000u;  // GENERIC_READ
constexpr uint32_t kWrite = 0x40000000u; // GENERIC_WRITE
constexpr uint32_t kShareRead = 1u;      // FILE_SHARE_READ
constexpr uint32_t kShareWrite = 2u;     // FILE_SHARE_WRITE
constexpr uint32_t kShareDelete = 4u;    // FILE_SHARE_DELETE
constexpr int kOpenOrCreate = 2;
constexpr int kCreateOrEmpty = 3;
constexpr int kOpenExisting = 0;
// Windows' path limit (MAX_PATH) in characters, the terminating zero included. The system
// counts UTF-16 units, so a character outside the BMP takes two of them.
constexpr int kPathCharacters = 260;
// A byte buffer that holds, with its zero, any path within that limit in the process code page:
// UTF-8 takes at most 3 bytes per UTF-16 unit (4 bytes only for a pair of units), so a path of
// 259 characters may take 777 bytes. Buffers that receive paths from the system are this size.
constexpr int kPathSize = 3 * (kPathCharacters - 1) + 1;
constexpr int kErrorFilenameTooLong = 206; // ERROR_FILENAME_EXCED_RANGE
constexpr int kErrorInvalidHandle = 6;     // ERROR_INVALID_HANDLE

// Whether the path stays within kPathCharacters - 1 characters as the system counts them when
// the process works in `codePage`: UTF-16 units in UTF-8, bytes in any other code page (no
// character of those takes more than one unit per byte).
bool fitsPathLimit(const char* path, unsigned codePage);
// The same in the process's own code page.
bool fitsPathLimit(const char* path);
} // namespace fileaccess

class WinFile {
  public:
    WinFile();
    ~WinFile();
    WinFile(const WinFile&) = delete;
    WinFile& operator=(const WinFile&) = delete;

    int openPath(const char* path, uint32_t access, uint32_t share, int mode);
    // Creates or empties the file, for writing a log.
    bool openLog(const char* path);
    bool isOpen() const;
    bool close();
    bool flush();
    int write(const void* bytes, uint32_t count, uint32_t* written);
    int read(void* buffer, uint32_t count, uint32_t* got);
    bool seekFromStart(int32_t low, int32_t high);
    // Cuts the file at the current position.
    bool truncate();
    int64_t size();
    int64_t position();
    const char* path() const { return path_; }

    // Size of the named file through a directory search; -1 when it cannot be found.
    static int64_t sizeOfFile(const char* path);

  private:
    int open();
    // Refuses (returns false, stores nothing) a path beyond the system's limit: a cut path would
    // name a different file.
    bool setPath(const char* path, uint32_t access, uint32_t share, int mode);

    char path_[fileaccess::kPathSize] = {};
    uint32_t access_ = fileaccess::kRead | fileaccess::kWrite;
    uint32_t share_ = fileaccess::kShareRead;
    int mode_ = fileaccess::kOpenOrCreate;
    intptr_t handle_; // a HANDLE on Windows, a descriptor natively
};
