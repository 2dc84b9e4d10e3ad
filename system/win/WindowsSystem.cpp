#include "system/WindowsSystem.h"

#include "system/IniFileChanges.h"
#include "system/MachineEnvironment.h"
#include "system/ProgramLauncher.h"
#include "system/RunningPrograms.h"
#include "system/ShellShortcuts.h"
#include "system/UninstallRegistry.h"

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

int WindowsSystem::changeEnvironment(const char* name, const char* value, int mode,
                                     const RecordSink& record, RunReporter* ui, int isPath) {
    return MachineEnvironment::change(name, value, mode, record, ui, isPath);
}

int WindowsSystem::undoEnvironmentChange(const char* record, RunReporter* ui) {
    return MachineEnvironment::undo(record, ui);
}

int WindowsSystem::broadcastEnvironmentChange() {
    return MachineEnvironment::broadcast();
}

int WindowsSystem::changeIniFile(const char* file, const char* section, const char* key,
                                 const char* value, int mode, const RecordSink& record,
                                 RunReporter* ui, int isPath, const char* beforeKey) {
    return IniFileChanges::change(file, section, key, value, mode, record, ui, isPath, beforeKey);
}

int WindowsSystem::undoIniChange(const char* record, RunReporter* ui) {
    return IniFileChanges::undo(record, ui);
}

int WindowsSystem::createShortcut(int kind, const char* path, const char* target,
                                  const char* description, const char* arguments,
                                  const char* workingFolder, const RecordSink& record,
                                  RunReporter* ui) {
    return ShellShortcuts::create(kind, path, target, description, arguments, workingFolder, record,
                                  ui);
}

int WindowsSystem::undoShortcut(const char* record, RunReporter* ui) {
    return ShellShortcuts::undo(record, ui);
}

int WindowsSystem::launch(const char* file, int asDocument, const char* arguments) {
    return ProgramLauncher::launch(file, asDocument, arguments);
}

int WindowsSystem::showHelpDocument(const char* helpUrl) {
    return ProgramLauncher::showHelpDocument(helpUrl);
}

int WindowsSystem::isPreviousVersionInstalled(const char* productName) {
    return UninstallRegistry::isInstalled(productName);
}

int WindowsSystem::uninstallPreviousVersion(const char* productName) {
    return UninstallRegistry::runUninstaller(productName, console_);
}

int WindowsSystem::registerUninstall(const UninstallRegistration& registration) {
    return UninstallRegistry::write(registration);
}

bool WindowsSystem::removeUninstallRegistration(const char* productName) {
    return UninstallRegistry::remove(productName);
}

bool WindowsSystem::writeRunRecord(const char* productName, const RunRecord& record) {
    return UninstallRegistry::writeRunRecord(productName, record);
}

std::optional<RunRecord> WindowsSystem::findRunRecord(const char* productName) {
    return UninstallRegistry::findRunRecord(productName);
}

bool WindowsSystem::removeRunRecord(const char* productName) {
    return UninstallRegistry::removeRunRecord(productName);
}

bool WindowsSystem::removeAtRestart(const char* path) {
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}
