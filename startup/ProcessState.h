// The state that the entry point sets once and the rest of the process reads: the run
// options, the debug log and what the graphical wizard needs from the start-up.
#pragma once

#include "package/Log.h"

struct ProcessState {
    int gui = 1;
    int debug = 0;
    int quiet = 0;
    char configFile[512] = {};
    void* moduleInstance = nullptr;
    // SM_CYCAPTION, SM_CXBORDER, SM_CYBORDER, SM_CXFRAME, SM_CYFRAME
    int frameMetrics[5] = {};
    Log debugLog;
};

ProcessState& processState();
