#include "system/IniFileChanges.h"

// To come.
int IniFileChanges::change(const char*, const char*, const char*, const char*, int, char* record,
                           int capacity, InstallerUI*, int, const char*) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    return 0;
}

int IniFileChanges::undo(const char*, InstallerUI*) {
    return 0;
}
