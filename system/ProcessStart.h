// Starting a program with an exact command line, without waiting for it: the one place the
// engine asks the system for a new process.
#pragma once

#include "system/WinHandle.h"

#include <string>
#include <windows.h>

class ProcessStart {
  public:
    struct Options {
        // Whether the program gets this process's inheritable handles.
        bool inheritHandles = false;
        DWORD creationFlags = 0;
        // Its current folder; null: this process's.
        const char* folder = nullptr;
        // Its standard handles (STARTF_USESTDHANDLES); null: none given.
        HANDLE input = nullptr;
        HANDLE output = nullptr;
    };

    // The started process, or an invalid handle. A command line longer than the system takes
    // (32,767 characters) is not started: a cut one would run something else.
    static WinHandle start(const std::string& commandLine, const Options& options);
};
