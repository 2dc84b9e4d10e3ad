// FileStream over a system file handle. The Windows build uses the Win32 file calls; the
// native build (unit tests, fuzzing, the packer) implements the same class over POSIX.
#pragma once

#include "package/FileStream.h"

#include <cstdint>

namespace fileaccess {
constexpr uint32_t kRead = 0x80000000u;  // GENERIC_READ
constexpr uint32_t kWrite = 0x40000000u; // GENERIC_WRITE
constexpr uint32_t kShareRead = 1u;      // FILE_SHARE_READ
constexpr uint32_t kShareWrite = 2u;     // FILE_SHARE_WRITE
constexpr int kOpenOrCreate = 2;
constexpr int kCreateOrEmpty = 3;
constexpr int kOpenExisting = 0;
constexpr int kPathSize = 260;
constexpr int kErrorFilenameTooLong = 206; // ERROR_FILENAME_EXCED_RANGE
constexpr int kErrorInvalidHandle = 6;     // ERROR_INVALID_HANDLE
} // namespace fileaccess

class WinFile : public FileStream {
  public:
    WinFile();
    ~WinFile() override;
    WinFile(const WinFile&) = delete;
    WinFile& operator=(const WinFile&) = delete;

    int open() override;
    int close() override;
    int flush() override;
    int write(const void* bytes, uint32_t count, uint32_t* written) override;
    int writeText(const char* text) override;
    int read(void* buffer, uint32_t count, uint32_t* got) override;
    int seekFromStart(int32_t low, int32_t high) override;
    int seekFromCurrent(int32_t low, int32_t high) override;
    int seekFromEnd(int32_t low, int32_t high) override;
    int64_t size() override;
    int truncate() override;
    int64_t position() override;
    int atEnd() override;
    int openCount() override { return openCount_; }

    int openPath(const char* path, uint32_t access, uint32_t share, int mode);
    // Size of the named file through a directory search; -1 when it cannot be found.
    static int64_t sizeOfFile(const char* path);
    // Refuses (returns -1, stores nothing) a path that does not fit the 260-byte field:
    // a cut path would name a different file.
    int setPath(const char* path, uint32_t access, uint32_t share, int mode);
    // Mode 1 opens or creates and appends; any other mode creates or empties.
    int openLog(const char* path, int mode);
    bool isOpen() const;
    const char* path() const { return path_; }
    // The system's handle (a descriptor natively), for the calls this class does not wrap.
    intptr_t nativeHandle() const { return handle_; }

  private:
    int seek(int32_t low, int32_t high, int origin);

    int openCount_ = 0;
    char path_[fileaccess::kPathSize] = {};
    uint32_t access_ = fileaccess::kRead | fileaccess::kWrite;
    uint32_t share_ = fileaccess::kShareRead;
    int mode_ = fileaccess::kOpenOrCreate;
    intptr_t handle_; // a HANDLE on Windows, a descriptor natively
};
