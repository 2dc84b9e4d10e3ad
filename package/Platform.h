// The few file-system and debugger calls below the path helpers. The Windows build calls the
// system; the native build maps them onto POSIX.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

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
// One line typed into the console `input` reads from, its line end removed, in the process code
// page. Nothing when `input` is no console (a file or a pipe: read it as bytes) or at its end.
// A console's narrow reading loses what it cannot take in one byte on many systems; this one
// reads the characters as they were typed.
std::optional<std::string> readConsoleLine(std::FILE* input, size_t limit);
} // namespace platform
