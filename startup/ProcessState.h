// What the entry point reads once at the start of the process: the run options, the debug log
// and what the graphical wizard needs from the start-up.
#pragma once

#include "package/Log.h"
#include "package/WinFile.h"

struct ProcessState {
    int gui = 1;
    int debug = 0;
    int quiet = 0;
    char configFile[fileaccess::kPathSize] = {};
    void* moduleInstance = nullptr;
    int captionHeight = 0; // SM_CYCAPTION, for the wizard window's layout
    Log debugLog;
};
