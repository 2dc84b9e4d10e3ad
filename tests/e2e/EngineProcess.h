// Starts a Windows program with an exact command line, its standard input and output on pipes,
// and waits for it.
#pragma once

#include "tests/support/FileBytes.h"

#include <string>
#include <windows.h>

struct ProcessResult {
    // A program that never started has not succeeded: it ends with none of the engine's codes.
    static constexpr unsigned long kNotStarted = 0xC0DE0000ul;
    unsigned long exitCode = kNotStarted;
    std::string output; // standard output and standard error, in arrival order
};

class EngineProcess {
  public:
    // Folders end with a backslash; the engine lies beside the test program.
    static std::string testFolder();
    static std::string enginePath();
    static std::string tempFolder();

    // Runs the command line exactly as given; `input` is fed to standard input.
    static ProcessResult run(const std::string& commandLine, const std::string& input = "",
                             unsigned long timeoutMs = 30000);
};

// The exit code -1 as the system reports it.
constexpr unsigned long kMinusOne = 0xFFFFFFFFul;
inline std::string inQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

using filebytes::readAll;
using filebytes::writeAll;
bool fileExists(const std::string& path);
