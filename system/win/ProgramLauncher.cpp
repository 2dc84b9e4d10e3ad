#include "system/ProgramLauncher.h"

// To come.
int ProgramLauncher::launch(const char*, int, const char*) {
    return 0;
}

int ProgramLauncher::showHelpDocument(const char*) {
    return 0;
}
