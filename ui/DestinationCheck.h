// What a "Directory" field's folder must be before its page may be left: the installation would
// otherwise fail on it only while copying, after PATH, INI entries and shortcuts were written.
// The file system is asked through a probe, so the checks stay the same on every platform.
#pragma once

#include "package/Platform.h"

#include <functional>

class DestinationCheck {
  public:
    enum class Problem {
        kNone,
        kEmpty,
        kNotFullPath,
        kBadCharacter,
        kDeviceName,
        kNoDrive,
        kFileInTheWay,
        kTooLong
    };
    using Probe = std::function<platform::PathKind(const char* path)>;
    // Whether every file placed below the folder keeps its whole destination path.
    using KeepsWhole = std::function<bool(const char* folder)>;

    explicit DestinationCheck(Probe probe = platform::pathKind) : probe_(std::move(probe)) {}

    // The first problem of the folder, in the order of the enumeration; keepsWhole is asked last.
    Problem check(const char* folder, const KeepsWhole& keepsWhole) const;
    // What the user is told about the problem, naming the folder (or its level) at fault.
    void describe(Problem problem, const char* folder, char* out, int size) const;

    // The folder a user picked in the folder browser, with the product's own folder level
    // appended unless it already ends with that level: picking "C:\Program Files" for
    // "C:\Program Files\Product" gives the latter, not the bare parent. False when it does not
    // fit out[size] (out is then empty).
    static bool withProductLevel(const char* picked, const char* productFolder, char* out,
                                 int size);

  private:
    // The drive root ("C:\") or network share ("\\server\share\") of a full path; false when
    // it does not fit.
    static bool rootOf(const char* folder, char* out, int size);
    // The first level of the folder where a file stands; its length, or 0.
    int fileInTheWay(const char* folder) const;

    Probe probe_;
};
