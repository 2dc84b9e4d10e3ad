#include "system/WindowsSystem.h"

#include "package/BoundedText.h"
#include "system/RunningPrograms.h"

#include <windows.h>

int WindowsSystem::makeTempFileName(char* out, int size) {
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

int WindowsSystem::isAppRunning(const char* moduleName) {
    return RunningPrograms::isRunning(moduleName) ? 1 : 0;
}

// The operations below are the system changes that the later parts of the engine implement;
// until then each answers as a change that could not be made, and nothing is touched.
static int noChange(char* record, int capacity) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    return 0;
}

int WindowsSystem::changeEnvironment(const char*, const char*, int, char* record, int capacity,
                                        InstallerUI*, int) {
    return noChange(record, capacity);
}
int WindowsSystem::undoEnvironmentChange(const char*, InstallerUI*) {
    return 0;
}
int WindowsSystem::broadcastEnvironmentChange() {
    return 1;
}
int WindowsSystem::changeIniFile(const char*, const char*, const char*, const char*, int,
                                    char* record, int capacity, InstallerUI*, int, const char*) {
    return noChange(record, capacity);
}
int WindowsSystem::undoIniChange(const char*, InstallerUI*) {
    return 0;
}
int WindowsSystem::createShortcut(int, const char*, const char*, const char*, const char*,
                                     const char*, char* record, int capacity, InstallerUI*) {
    return noChange(record, capacity);
}
int WindowsSystem::undoShortcut(const char*, InstallerUI*) {
    return 0;
}
int WindowsSystem::launch(const char*, int, const char*) {
    return 0;
}
int WindowsSystem::isPreviousVersionInstalled(const char*) {
    return 0;
}
int WindowsSystem::showHelpDocument(const char*) {
    return 0;
}
int WindowsSystem::uninstallPreviousVersion(const char*) {
    return 1;
}
int WindowsSystem::registerUninstall(const UninstallRegistration&) {
    return 1;
}
