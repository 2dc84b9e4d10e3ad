#include "startup/WindowsInstaller.h"

#include "package/BoundedText.h"
#include "startup/ProcessState.h"
#include "system/RunningPrograms.h"

#include <windows.h>

int WindowsInstaller::makeTempFileName(char* out, int size) {
    ++tempCounter_;
    char directory[256];
    DWORD length = GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory)
        return -1;
    // GetTempFileNameA writes up to MAX_PATH characters; never into a smaller buffer.
    if (out == nullptr || size < MAX_PATH)
        return -1;
    if (GetTempFileNameA(directory, "qzinstall", static_cast<UINT>(tempCounter_), out) == 0)
        return -1;
    return 0;
}

int WindowsInstaller::getConfigFile(char* out, int size) {
    // A cut name would name a different file: refuse it.
    return copyText(out, size, processState().configFile) == 0 ? 0 : -1;
}

int WindowsInstaller::isAppRunning(const char* moduleName) {
    return RunningPrograms::isRunning(moduleName) ? 1 : 0;
}

// The operations below are the system changes that the later parts of the engine implement;
// until then each answers as a change that could not be made, and nothing is touched.
static int noChange(char* record, int capacity) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    return 0;
}

int WindowsInstaller::changeEnvironment(const char*, const char*, int, char* record, int capacity,
                                        InstallerUI*, int) {
    return noChange(record, capacity);
}
int WindowsInstaller::undoEnvironmentChange(const char*, InstallerUI*) {
    return 0;
}
int WindowsInstaller::broadcastEnvironmentChange() {
    return 1;
}
int WindowsInstaller::changeIniFile(const char*, const char*, const char*, const char*, int,
                                    char* record, int capacity, InstallerUI*, int, const char*) {
    return noChange(record, capacity);
}
int WindowsInstaller::undoIniChange(const char*, InstallerUI*) {
    return 0;
}
int WindowsInstaller::createShortcut(int, const char*, const char*, const char*, const char*,
                                     const char*, char* record, int capacity, InstallerUI*) {
    return noChange(record, capacity);
}
int WindowsInstaller::undoShortcut(const char*, InstallerUI*) {
    return 0;
}
int WindowsInstaller::launch(const char*, int, const char*) {
    return 0;
}
