// The parts of WinFile that are the same on every platform.
#include "package/WinFile.h"

#include "package/BoundedText.h"

#include <cstring>

bool WinFile::setPath(const char* path, uint32_t access, uint32_t share, int mode) {
    char copy[fileaccess::kPathSize];
    if (!copyText(copy, sizeof copy, path))
        return false;
    std::memcpy(path_, copy, sizeof path_);
    access_ = access;
    share_ = share;
    mode_ = mode;
    return true;
}

int WinFile::openPath(const char* path, uint32_t access, uint32_t share, int mode) {
    if (!setPath(path, access, share, mode))
        return fileaccess::kErrorFilenameTooLong;
    return open();
}

bool WinFile::openLog(const char* path) {
    return openPath(path, fileaccess::kRead | fileaccess::kWrite, fileaccess::kShareRead,
                    fileaccess::kCreateOrEmpty) == 0;
}
