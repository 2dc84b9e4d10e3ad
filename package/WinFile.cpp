// The parts of WinFile that are the same on every platform.
#include "package/WinFile.h"

#include "package/BoundedText.h"

#include <cstring>

int WinFile::writeText(const char* text) {
    uint32_t written = 0;
    return write(text, static_cast<uint32_t>(std::strlen(text)), &written);
}

int WinFile::atEnd() {
    return position() >= size() ? 1 : 0;
}

int WinFile::setPath(const char* path, uint32_t access, uint32_t share, int mode) {
    char copy[fileaccess::kPathSize];
    if (copyText(copy, sizeof copy, path) != 0)
        return -1;
    std::memcpy(path_, copy, sizeof path_);
    access_ = access;
    share_ = share;
    mode_ = mode;
    return 0;
}

int WinFile::openPath(const char* path, uint32_t access, uint32_t share, int mode) {
    if (setPath(path, access, share, mode) != 0)
        return fileaccess::kErrorFilenameTooLong;
    return open();
}

int WinFile::openLog(const char* path, int mode) {
    int creation = mode == 1 ? fileaccess::kOpenOrCreate : fileaccess::kCreateOrEmpty;
    if (setPath(path, fileaccess::kRead | fileaccess::kWrite, fileaccess::kShareRead, creation) !=
        0)
        return fileaccess::kErrorFilenameTooLong;
    int result = open();
    if (result != 0)
        return result;
    if (mode == 1)
        seekFromEnd(0, 0);
    return 0;
}
