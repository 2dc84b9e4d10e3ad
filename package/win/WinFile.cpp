#include "package/WinFile.h"

#include <windows.h>

static HANDLE toHandle(intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}
static intptr_t fromHandle(HANDLE handle) {
    return reinterpret_cast<intptr_t>(handle);
}

WinFile::WinFile() : handle_(fromHandle(INVALID_HANDLE_VALUE)) {}

WinFile::~WinFile() {
    if (isOpen())
        close();
}

bool WinFile::isOpen() const {
    return toHandle(handle_) != INVALID_HANDLE_VALUE;
}

static DWORD creationDisposition(int mode) {
    if (mode == fileaccess::kOpenOrCreate)
        return OPEN_ALWAYS;
    if (mode == fileaccess::kCreateOrEmpty)
        return CREATE_ALWAYS;
    return OPEN_EXISTING;
}

int WinFile::open() {
    HANDLE handle =
        CreateFileA(path_, access_, share_, nullptr, creationDisposition(mode_), 0, nullptr);
    handle_ = fromHandle(handle);
    if (handle == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    return 0;
}

bool WinFile::close() {
    // The invalid handle value is also the current-process pseudo handle, which the system
    // would "close" successfully: a stream without a handle answers for itself.
    if (!isOpen())
        return false;
    BOOL ok = CloseHandle(toHandle(handle_));
    handle_ = fromHandle(INVALID_HANDLE_VALUE);
    return ok != FALSE;
}

bool WinFile::flush() {
    return FlushFileBuffers(toHandle(handle_)) != FALSE;
}

int WinFile::write(const void* bytes, uint32_t count, uint32_t* written) {
    DWORD done = 0;
    BOOL ok = WriteFile(toHandle(handle_), bytes, count, &done, nullptr);
    if (written != nullptr)
        *written = done;
    return ok ? 0 : static_cast<int>(GetLastError());
}

int WinFile::read(void* buffer, uint32_t count, uint32_t* got) {
    DWORD done = 0;
    BOOL ok = ReadFile(toHandle(handle_), buffer, count, &done, nullptr);
    if (got != nullptr)
        *got = done;
    return ok ? 0 : static_cast<int>(GetLastError());
}

bool WinFile::seekFromStart(int32_t low, int32_t high) {
    LONG highPart = high;
    SetLastError(0);
    DWORD result = SetFilePointer(toHandle(handle_), low, &highPart, FILE_BEGIN);
    // That value is also a valid low part of a position past 4 GB: only the error tells.
    return result != INVALID_SET_FILE_POINTER || GetLastError() == 0;
}

int64_t WinFile::size() {
    DWORD high = 0;
    SetLastError(0);
    DWORD low = GetFileSize(toHandle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != 0)
        return -1;
    return (static_cast<int64_t>(high) << 32) | low;
}

bool WinFile::truncate() {
    return SetEndOfFile(toHandle(handle_)) != FALSE;
}

int64_t WinFile::position() {
    LONG high = 0;
    SetLastError(0);
    DWORD low = SetFilePointer(toHandle(handle_), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != 0)
        return -1;
    return (static_cast<int64_t>(high) << 32) | low;
}

int64_t WinFile::sizeOfFile(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(search);
    return (static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}
