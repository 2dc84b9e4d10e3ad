// Texts that name what is wrong with a package, shared by list, verify and extract.
#pragma once

#include <cstdint>
#include <string>

class PackageProblem {
  public:
    // For a negative result of indexing; `failedAt` is the payload offset of the record.
    static std::string describeIndexFailure(int code, uint32_t failedAt);
    // Prints `instpack: "FILE" what` on standard error; returns the failure exit status 1.
    static int report(const std::string& file, const std::string& what);
    // A file or entry name in double quotes, as every message shows it.
    static std::string quoted(const std::string& name) { return "\"" + name + "\""; }
    // For a text that does not fit the engine's field of `fieldSize` bytes (with its zero).
    static std::string tooLong(const std::string& element, const std::string& what, size_t length,
                               size_t fieldSize, const char* unit = "bytes");
};
