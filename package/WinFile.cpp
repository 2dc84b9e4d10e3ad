// The parts of WinFile that are the same on every platform.
#include "package/WinFile.h"

#include "package/BoundedText.h"
#include "package/TextEncoding.h"
#include "package/Utf8Text.h"

#include <cstring>

bool fileaccess::fitsPathLimit(const char* path, unsigned codePage) {
    size_t length = std::strlen(path);
    size_t limit = kPathCharacters - 1;
    // Every character takes at least one byte: a short path fits whatever it holds.
    if (length <= limit)
        return true;
    if (codePage != TextEncoding::kUtf8 || length >= static_cast<size_t>(kPathSize))
        return false;
    return Utf8Text::utf16Length(path, length) <= limit;
}

bool fileaccess::fitsPathLimit(const char* path) {
    return fitsPathLimit(path, TextEncoding::processCodePage());
}

bool WinFile::setPath(const char* path, uint32_t access, uint32_t share, int mode) {
    char copy[fileaccess::kPathSize];
    if (!fileaccess::fitsPathLimit(path) || !copyText(copy, sizeof copy, path))
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
