#include "package/Platform.h"

#include <cerrno>
#include <io.h>
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

namespace platform {
std::optional<std::string> readConsoleLine(std::FILE* input, size_t limit) {
    HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(input)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return std::nullopt;
    std::wstring typed;
    wchar_t piece[256];
    DWORD got = 0;
    // Past the limit the rest of the line is read and dropped, so that it does not become the
    // next answer; the caller sees a line longer than it takes.
    while (ReadConsoleW(console, piece, 256, &got, nullptr) && got > 0) {
        if (typed.size() <= limit)
            typed.append(piece, got);
        if (piece[got - 1] == L'\n')
            break;
    }
    if (typed.empty())
        return std::nullopt;
    while (!typed.empty() && (typed.back() == L'\n' || typed.back() == L'\r'))
        typed.pop_back();
    int length = static_cast<int>(typed.size());
    int size = WideCharToMultiByte(CP_ACP, 0, typed.data(), length, nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, typed.data(), length, &line[0], size, nullptr, nullptr);
    return line;
}
} // namespace platform
