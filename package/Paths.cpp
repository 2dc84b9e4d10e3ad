#include "package/Paths.h"

#include "package/BoundedText.h"
#include "package/Platform.h"

#include <cstring>

namespace {
#ifdef _WIN32
constexpr char kNativeSeparator = '\\';
#else
constexpr char kNativeSeparator = '/';
#endif

bool isNetworkPath(const char* path) {
    return isPathSeparator(path[0]) && isPathSeparator(path[1]);
}

// Index of the first separator at which a directory may be created: past the drive root,
// or past \\server\share for a network path, whose first two levels cannot be created.
size_t firstCreatableSeparator(const char* path, size_t length) {
    if (!isNetworkPath(path))
        return 3;
    int separatorsSeen = 0;
    for (size_t i = 2; i < length; ++i) {
        if (isPathSeparator(path[i]) && ++separatorsSeen == 2)
            return i + 1;
    }
    return length;
}
} // namespace

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isFullPath(const char* path) {
    if (isNetworkPath(path))
        return true;
#ifndef _WIN32
    if (path[0] == '/')
        return true;
#endif
    bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
    return letter && path[1] == ':' && isPathSeparator(path[2]);
}

bool ensureDirectory(const char* path) {
    return platform::createDirectory(path) || platform::lastErrorWasAlreadyExists();
}

bool makeDirectories(const char* path, int* created, int* createdLength) {
    return makeDirectories(path, created, createdLength, nullptr);
}

bool makeDirectories(const char* path, int* created, int* createdLength,
                     const LevelsAnnouncement& beforeMaking) {
    *created = 0;
    if (createdLength != nullptr)
        *createdLength = 0;
    size_t length = std::strlen(path);
    if (length <= 3)
        return true;
    char copy[fileaccess::kPathSize];
    if (!fileaccess::fitsPathLimit(path) || !copyText(copy, sizeof copy, path))
        return false;
    size_t first = firstCreatableSeparator(copy, length);
    // Most folders are there already: one question to the system then, not one per level.
    size_t deepest = length;
    for (size_t i = first; i < length; ++i) {
        if (isPathSeparator(copy[i]))
            deepest = i;
    }
    if (deepest < length) {
        char separator = copy[deepest];
        copy[deepest] = '\0';
        bool there = platform::pathExists(copy);
        copy[deepest] = separator;
        if (there)
            return true;
    }
    // Below the first missing level every level is missing.
    size_t missingFrom = length;
    int missing = 0;
    for (size_t i = first; i < length; ++i) {
        if (!isPathSeparator(copy[i]))
            continue;
        copy[i] = '\0';
        if (missingFrom == length && !platform::pathExists(copy))
            missingFrom = i;
        missing += missingFrom < length;
        copy[i] = kNativeSeparator;
    }
    if (missing == 0)
        return true;
    if (beforeMaking && !beforeMaking(missing, static_cast<int>(deepest + 1)))
        return false;
    for (size_t i = missingFrom; i < length; ++i) {
        if (!isPathSeparator(copy[i]))
            continue;
        copy[i] = '\0';
        if (!ensureDirectory(copy))
            return false;
        if (!platform::lastErrorWasAlreadyExists()) {
            ++*created;
            if (createdLength != nullptr)
                *createdLength = static_cast<int>(i + 1);
        }
        copy[i] = kNativeSeparator;
    }
    return true;
}

namespace {
// The length of the root that ".." never climbs above: "C:\", "\\server\share\", "/".
size_t rootLength(const char* path) {
    size_t length = std::strlen(path);
    size_t root = firstCreatableSeparator(path, length);
#ifndef _WIN32
    if (path[0] == '/' && !isNetworkPath(path))
        root = 1;
#endif
    return root < length ? root : length;
}

bool isLevel(const char* level, size_t length, const char* name) {
    return length == std::strlen(name) && std::strncmp(level, name, length) == 0;
}
} // namespace

bool normalizePath(char* path) {
    collapseSeparators(path);
    size_t root = rootLength(path);
    size_t write = root;
    const char* read = path + root;
    while (*read != '\0') {
        size_t length = std::strcspn(read, "\\/");
        bool separator = read[length] != '\0';
        if (isLevel(read, length, "..")) {
            if (write == root)
                return false;
            // Back to the separator before the last level written.
            write -= 1;
            while (write > root && !isPathSeparator(path[write - 1]))
                --write;
        } else if (length > 0 && !isLevel(read, length, ".")) {
            // The level keeps the separator it was written with.
            std::memmove(path + write, read, length + (separator ? 1 : 0));
            write += length + (separator ? 1 : 0);
        }
        read += length + (separator ? 1 : 0);
    }
    path[write] = '\0';
    return true;
}

bool isReservedDeviceName(const char* level, int length) {
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    static const char* const kNumbered[] = {"COM", "LPT"};
    int base = 0;
    while (base < length && level[base] != '.')
        ++base;
    // Windows ignores blanks at the end of the device part too ("nul .txt").
    while (base > 0 && level[base - 1] == ' ')
        --base;
    auto matches = [level](const char* name, int count) {
        for (int i = 0; i < count; ++i) {
            char c = level[i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != name[i])
                return false;
        }
        return true;
    };
    if (base == 3) {
        for (const char* device : kDevices)
            if (matches(device, 3))
                return true;
    }
    if (base == 4 && level[3] >= '1' && level[3] <= '9') {
        for (const char* device : kNumbered)
            if (matches(device, 3))
                return true;
    }
    return false;
}

bool hasReservedDeviceLevel(const char* path) {
    while (*path != '\0') {
        int length = static_cast<int>(std::strcspn(path, "\\/"));
        if (isReservedDeviceName(path, length))
            return true;
        path += length + (path[length] != '\0' ? 1 : 0);
    }
    return false;
}

void collapseSeparators(char* path) {
    size_t read = 0;
    size_t write = 0;
    if (isNetworkPath(path)) {
        while (isPathSeparator(path[read + 2]))
            ++read;
        path[0] = path[read];
        path[1] = path[read + 1];
        read += 2;
        write = 2;
    }
    for (; path[read] != '\0'; ++read) {
        if (isPathSeparator(path[read]) && isPathSeparator(path[read + 1]))
            continue;
        path[write++] = path[read];
    }
    path[write] = '\0';
}
