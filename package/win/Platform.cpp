#include "package/Platform.h"

#include <cerrno>
#include <share.h>
#include <windows.h>

#include <sddl.h>

namespace {
DWORD lastDirectoryError = 0;

bool failWithSystemError() {
    lastDirectoryError = GetLastError();
    switch (lastDirectoryError) {
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
        errno = EACCES;
        break;
    case ERROR_DIR_NOT_EMPTY:
        errno = ENOTEMPTY;
        break;
    default:
        errno = EINVAL;
        break;
    }
    return false;
}
// What the engine puts in a folder it makes drives an administrator's uninstall later (the
// action log, the backup file, the uninstaller program): only the administrators and SYSTEM may
// change it; every user may read and run it. Not inherited from the parent, which may let every
// user write (a folder directly under the drive's root does).
const SECURITY_ATTRIBUTES* madeFolderSecurity() {
    static SECURITY_ATTRIBUTES attributes = [] {
        SECURITY_ATTRIBUTES made = {sizeof made, nullptr, FALSE};
        // Kept for the life of the process. Without it the folder gets the parent's permissions.
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(
                "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", SDDL_REVISION_1,
                &made.lpSecurityDescriptor, nullptr))
            made.lpSecurityDescriptor = nullptr;
        return made;
    }();
    return &attributes;
}
} // namespace

namespace platform {
bool createDirectory(const char* path) {
    lastDirectoryError = 0;
    return CreateDirectoryA(path, const_cast<SECURITY_ATTRIBUTES*>(madeFolderSecurity())) ||
           failWithSystemError();
}

bool removeDirectory(const char* path) {
    lastDirectoryError = 0;
    return RemoveDirectoryA(path) || failWithSystemError();
}

bool removeFile(const char* path) {
    return DeleteFileA(path) != 0;
}

bool lastErrorWasAlreadyExists() {
    return lastDirectoryError == ERROR_ALREADY_EXISTS;
}

bool pathExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

PathKind pathKind(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::kNothing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kDirectory : PathKind::kFile;
}

std::FILE* openReadDenyingWriters(const char* path) {
    return _fsopen(path, "rb", _SH_DENYWR);
}
} // namespace platform
