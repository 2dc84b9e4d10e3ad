#include "startup/ProcessState.h"

ProcessState& processState() {
    static ProcessState state;
    return state;
}
