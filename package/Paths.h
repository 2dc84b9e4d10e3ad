// Path and directory helpers shared by the engine. Both '\' and '/' are separators.
#pragma once

#include <functional>

#include "package/BoundedText.h"
#include "package/WinFile.h"

bool isPathSeparator(char c);
// True when the directory was created or already existed.
bool ensureDirectory(const char* path);
// Creates every missing directory of the path; the last component only when the path ends
// with a separator. Stores the number created and (when asked) the length of the path up to
// and including the separator behind the deepest one made, so that a caller records exactly
// the levels that exist. False on failure (the levels made before it stay counted) or when the
// path is beyond the system's path limit.
bool makeDirectories(const char* path, int* created, int* createdLength = nullptr);
// The same, telling `beforeMaking` how many levels are missing and the length of the path up to
// the deepest of them before the first is made, so that a record of them can precede them; when
// it answers false nothing is made (false). Levels found missing but made by someone else
// meanwhile are not counted in `created`.
using LevelsAnnouncement = std::function<bool(int levels, int length)>;
bool makeDirectories(const char* path, int* created, int* createdLength,
                     const LevelsAnnouncement& beforeMaking);
// Makes an anchored path canonical in place: one separator between levels, no "." levels, each
// ".." removing the level before it. False (the path unusable) when a ".." would climb above
// the root.
bool normalizePath(char* path);
// Whether a path level is a name Windows reserves for a device (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, in any letter case, also with an extension): such a "file" is the device.
bool isReservedDeviceName(const char* level, int length);
// Whether any level of the path is a reserved device name.
bool hasReservedDeviceLevel(const char* path);
// Whether the path is anchored: a drive and its root (C:\...) or a network path (\\server\...);
// the native build also takes its own root (/...). Anything else would be resolved against
// whatever folder and drive the process happens to stand in.
bool isFullPath(const char* path);
// Folds each run of separators to its last separator, in place. A leading pair stays a pair so
// that a network path (\\server\share) keeps naming the network share.
void collapseSeparators(char* path);
