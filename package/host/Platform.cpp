#include "package/Platform.h"

#include "package/host/HostPath.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int lastDirectoryErrno = 0;
}

namespace platform {
bool createDirectory(const char* path) {
    lastDirectoryErrno = 0;
    char hostPath[1024];
    if (!toHostPath(path, hostPath, sizeof hostPath)) {
        lastDirectoryErrno = ENAMETOOLONG;
        return false;
    }
    if (::mkdir(hostPath, 0755) == 0)
        return true;
    lastDirectoryErrno = errno;
    return false;
}

bool removeDirectory(const char* path) {
    lastDirectoryErrno = 0;
    char hostPath[1024];
    if (!toHostPath(path, hostPath, sizeof hostPath)) {
        lastDirectoryErrno = ENAMETOOLONG;
        return false;
    }
    if (::rmdir(hostPath) == 0)
        return true;
    lastDirectoryErrno = errno;
    return false;
}

bool removeFile(const char* path) {
    char hostPath[1024];
    return toHostPath(path, hostPath, sizeof hostPath) && ::unlink(hostPath) == 0;
}

bool lastErrorWasAlreadyExists() {
    return lastDirectoryErrno == EEXIST;
}

bool pathExists(const char* path) {
    char hostPath[1024];
    struct stat info;
    return toHostPath(path, hostPath, sizeof hostPath) && ::stat(hostPath, &info) == 0;
}

PathKind pathKind(const char* path) {
    char hostPath[1024];
    struct stat info;
    if (!toHostPath(path, hostPath, sizeof hostPath) || ::stat(hostPath, &info) != 0)
        return PathKind::kNothing;
    return S_ISDIR(info.st_mode) ? PathKind::kDirectory : PathKind::kFile;
}

// POSIX has no sharing modes; the host build only reads.
std::FILE* openReadDenyingWriters(const char* path) {
    char hostPath[1024];
    return toHostPath(path, hostPath, sizeof hostPath) ? std::fopen(hostPath, "rb") : nullptr;
}
} // namespace platform

namespace platform {
// The native build reads its input as bytes, whatever it is.
std::optional<std::string> readConsoleLine(std::FILE*, size_t) { return std::nullopt; }
} // namespace platform
