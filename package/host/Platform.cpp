#include "package/Platform.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int lastDirectoryErrno = 0;
}

namespace platform {
int createDirectory(const char* path) {
    lastDirectoryErrno = 0;
    if (::mkdir(path, 0755) == 0)
        return 0;
    lastDirectoryErrno = errno;
    return -1;
}

int removeDirectory(const char* path) {
    lastDirectoryErrno = 0;
    if (::rmdir(path) == 0)
        return 0;
    lastDirectoryErrno = errno;
    return -1;
}

bool lastErrorWasAlreadyExists() { return lastDirectoryErrno == EEXIST; }

int pathExists(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0 ? 1 : 0;
}

void debugTrace(const char* text) { std::fputs(text, stderr); }
} // namespace platform
