#include "ui/DestinationCheck.h"

#include "package/BoundedText.h"
#include "package/Paths.h"
#include "package/WinFile.h"

#include <cstring>
#include <strings.h>

namespace {
constexpr const char* kForbidden = "<>\"|?*";

// A path level may not hold these; a colon only as the drive's.
bool hasBadCharacter(const char* folder) {
    const char* rest = folder[0] != '\0' && folder[1] == ':' ? folder + 2 : folder;
    for (const char* c = rest; *c != '\0'; ++c) {
        if (*c == ':' || static_cast<unsigned char>(*c) < 32 || std::strchr(kForbidden, *c))
            return true;
    }
    return false;
}

// Start and length of the last level of a path, trailing separators left out.
const char* lastLevel(const char* path, size_t* length) {
    size_t end = std::strlen(path);
    while (end > 0 && isPathSeparator(path[end - 1]))
        --end;
    size_t start = end;
    while (start > 0 && !isPathSeparator(path[start - 1]))
        --start;
    *length = end - start;
    return path + start;
}
} // namespace

DestinationCheck::Problem DestinationCheck::check(const char* folder,
                                                  const KeepsWhole& keepsWhole) const {
    if (folder == nullptr || folder[0] == '\0')
        return Problem::kEmpty;
    if (!isFullPath(folder))
        return Problem::kNotFullPath;
    if (hasBadCharacter(folder))
        return Problem::kBadCharacter;
    if (hasReservedDeviceLevel(folder))
        return Problem::kDeviceName;
    char root[fileaccess::kPathSize];
    if (!rootOf(folder, root, sizeof root) || probe_(root) != platform::PathKind::kDirectory)
        return Problem::kNoDrive;
    if (fileInTheWay(folder) != 0)
        return Problem::kFileInTheWay;
    if (keepsWhole && !keepsWhole(folder))
        return Problem::kTooLong;
    return Problem::kNone;
}

bool DestinationCheck::rootOf(const char* folder, char* out, int size) {
    size_t length = 3; // "C:\"
    if (isPathSeparator(folder[0]) && isPathSeparator(folder[1])) {
        // "\\server\share\": past the server's name and the share's.
        const char* server = folder + 2;
        const char* share = server + std::strcspn(server, "\\/");
        if (*share == '\0')
            return false;
        const char* end = share + 1 + std::strcspn(share + 1, "\\/");
        length = static_cast<size_t>(end - folder);
        if (share + 1 == end)
            return false;
        return boundedFormat(out, size, "%.*s\\", static_cast<int>(length), folder) >= 0;
    }
#ifndef _WIN32
    if (folder[0] == '/')
        length = 1;
#endif
    return copyTextPiece(out, size, folder, static_cast<int>(length));
}

int DestinationCheck::fileInTheWay(const char* folder) const {
    char level[fileaccess::kPathSize];
    size_t length = std::strlen(folder);
    if (length >= sizeof level)
        return 0;
    for (size_t end = 1; end <= length; ++end) {
        if (end < length && !isPathSeparator(folder[end]))
            continue;
        std::memcpy(level, folder, end);
        level[end] = '\0';
        platform::PathKind kind = probe_(level);
        if (kind == platform::PathKind::kFile)
            return static_cast<int>(end);
        // Below a level that does not exist nothing can stand.
        if (kind == platform::PathKind::kNothing && end > 3)
            return 0;
    }
    return 0;
}

void DestinationCheck::describe(Problem problem, const char* folder, char* out, int size) const {
    char root[fileaccess::kPathSize] = {};
    switch (problem) {
    case Problem::kNone:
        copyText(out, size, "");
        return;
    case Problem::kEmpty:
        copyText(out, size, "Please enter the folder to install to.");
        return;
    case Problem::kNotFullPath:
        boundedFormat(out, size,
                      "\"%s\" is not a full path. Please enter a folder on a drive (C:\\...) or "
                      "a network share (\\\\server\\share\\...).",
                      folder);
        return;
    case Problem::kBadCharacter:
        boundedFormat(out, size,
                      "\"%s\" is not a valid folder name: a folder name may not contain any of "
                      "< > : \" | ? *.",
                      folder);
        return;
    case Problem::kDeviceName:
        boundedFormat(out, size,
                      "\"%s\" names a device (such as CON, NUL, COM1 or LPT1), not a folder. "
                      "Please choose another name.",
                      folder);
        return;
    case Problem::kNoDrive:
        rootOf(folder, root, sizeof root);
        boundedFormat(out, size, "The drive or network share %s of \"%s\" does not exist.", root,
                      folder);
        return;
    case Problem::kFileInTheWay: {
        int length = fileInTheWay(folder);
        boundedFormat(out, size, "\"%.*s\" is a file: a folder cannot be created there.", length,
                      folder);
        return;
    }
    case Problem::kTooLong:
        boundedFormat(out, size,
                      "\"%s\" is too long: the paths of the files installed in it would exceed "
                      "259 characters. Please choose a shorter folder.",
                      folder);
        return;
    }
}

bool DestinationCheck::withProductLevel(const char* picked, const char* productFolder, char* out,
                                        int size) {
    size_t productLength = 0;
    const char* product = lastLevel(productFolder != nullptr ? productFolder : "", &productLength);
    size_t pickedLength = 0;
    const char* pickedLast = lastLevel(picked, &pickedLength);
    bool endsWithIt = productLength == 0 || (pickedLength == productLength &&
                                             strncasecmp(pickedLast, product, productLength) == 0);
    size_t keep = std::strlen(picked);
    while (keep > 0 && isPathSeparator(picked[keep - 1]) && !(keep == 3 && picked[1] == ':'))
        --keep;
    bool whole = endsWithIt
                     ? copyTextPiece(out, size, picked, static_cast<int>(keep))
                     : boundedFormat(out, size, "%.*s%s%.*s", static_cast<int>(keep), picked,
                                     keep > 0 && isPathSeparator(picked[keep - 1]) ? "" : "\\",
                                     static_cast<int>(productLength), product) >= 0;
    if (!whole) {
        out[0] = '\0';
        return false;
    }
    return true;
}
