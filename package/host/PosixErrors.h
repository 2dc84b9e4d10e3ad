// Maps POSIX error numbers to the Windows error codes that the engine's callers compare with.
#pragma once

#include <cerrno>

inline int windowsErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return 2; // ERROR_FILE_NOT_FOUND
    case ENOTDIR:
        return 3; // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EISDIR:
        return 5; // ERROR_ACCESS_DENIED
    case EBADF:
        return 6; // ERROR_INVALID_HANDLE
    case EEXIST:
        return 183; // ERROR_ALREADY_EXISTS
    case ENOSPC:
        return 112; // ERROR_DISK_FULL
    case ENAMETOOLONG:
        return 206; // ERROR_FILENAME_EXCED_RANGE
    default:
        return error == 0 ? 0 : 0x20000000 | error; // customer-defined bit: never a real code
    }
}
