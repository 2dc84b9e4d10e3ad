#include "system/FileSecurity.h"

#include <sys/stat.h>

// The host's tests have no accounts to tell apart.
bool FileSecurity::othersMayWrite(const char*) {
    return false;
}

bool FileSecurity::createPrivateFolder(const char* path) {
    return mkdir(path, 0700) == 0;
}
