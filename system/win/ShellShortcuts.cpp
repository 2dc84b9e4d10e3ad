#include "system/ShellShortcuts.h"

// To come.
int ShellShortcuts::create(int, const char*, const char*, const char*, const char*, const char*,
                           char* record, int capacity, InstallerUI*) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    return 0;
}

int ShellShortcuts::undo(const char*, InstallerUI*) {
    return 0;
}
