// The few file-system and debugger calls below the path helpers. The Windows build calls the
// system; the native build maps them onto POSIX.
#pragma once

#include <cstdio>

namespace platform {
// False on failure (errno is set from the system error).
bool createDirectory(const char* path);
bool removeDirectory(const char* path);
// Deletes a file.
bool removeFile(const char* path);
// Whether the last createDirectory failed because the directory already existed.
bool lastErrorWasAlreadyExists();
// Whether the path names an existing file or directory.
bool pathExists(const char* path);
// What the path names, with one question to the system.
enum class PathKind { kNothing, kFile, kDirectory };
PathKind pathKind(const char* path);
// Opens a file for reading; while it is open other programs may read it but not write it.
std::FILE* openReadDenyingWriters(const char* path);
} // namespace platform
