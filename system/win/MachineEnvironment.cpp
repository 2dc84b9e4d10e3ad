#include "system/MachineEnvironment.h"

// To come.
int MachineEnvironment::change(const char*, const char*, int, char* record, int capacity,
                               InstallerUI*, int) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    return 0;
}

int MachineEnvironment::undo(const char*, InstallerUI*) {
    return 0;
}

int MachineEnvironment::broadcast() {
    return 1;
}
