#include "system/WindowsSystem.h"

#include "package/WinFile.h"
#include "system/IniFileChanges.h"
#include "system/MachineEnvironment.h"
#include "system/ProgramLauncher.h"
#include "system/RestartRemovals.h"
#include "system/RunningPrograms.h"
#include "system/ShellShortcuts.h"
#include "system/UninstallRegistry.h"

#include <windows.h>

bool WindowsSystem::makeTempFileName(char* out, int size) {
    ++tempCounter_;
    char directory[fileaccess::kPathSize];
    DWORD length = GetTempPathA(sizeof directory, directory);
    // GetTempFileNameA writes up to MAX_PATH characters, in UTF-8 up to three bytes each; never
    // into a smaller buffer.
    return length != 0 && length < sizeof directory && out != nullptr &&
           size >= fileaccess::kPathSize &&
           GetTempFileNameA(directory, "qzinstall", static_cast<UINT>(tempCounter_), out) != 0;
}

bool WindowsSystem::isAppRunning(const char* moduleName) {
    return RunningPrograms::isRunning(moduleName);
}

bool WindowsSystem::changeEnvironment(const char* name, const char* value,
                                      EnvironmentValue::Mode mode, const RecordSink& record,
                                      RunReporter* ui, bool isPath) {
    return MachineEnvironment::change(name, value, mode, record, ui, isPath);
}

bool WindowsSystem::undoEnvironmentChange(const char* record, RunReporter* ui) {
    return MachineEnvironment::undo(record, ui);
}

void WindowsSystem::broadcastEnvironmentChange() {
    MachineEnvironment::broadcast();
}

bool WindowsSystem::changeIniFile(const char* file, const char* section, const char* key,
                                  const char* value, const RecordSink& record, RunReporter* ui,
                                  bool isPath, const char* beforeKey) {
    return IniFileChanges::change(file, section, key, value, record, ui, isPath, beforeKey);
}

bool WindowsSystem::undoIniChange(const char* record, RunReporter* ui) {
    return IniFileChanges::undo(record, ui);
}

bool WindowsSystem::createShortcut(ShellShortcuts::Kind kind, const char* path, const char* target,
                                   const char* description, const char* arguments,
                                   const char* workingFolder, const RecordSink& record,
                                   RunReporter* ui) {
    return ShellShortcuts::create(kind, path, target, description, arguments, workingFolder, record,
                                  ui);
}

bool WindowsSystem::undoShortcut(const char* record, RunReporter* ui) {
    return ShellShortcuts::undo(record, ui);
}

bool WindowsSystem::launch(const char* file, ProgramLauncher::Kind kind, const char* arguments) {
    return ProgramLauncher::launch(file, kind, arguments);
}

void WindowsSystem::showHelpDocument(const char* helpUrl) {
    ProgramLauncher::showHelpDocument(helpUrl);
}

bool WindowsSystem::isPreviousVersionInstalled(const char* productName) {
    return UninstallRegistry::isInstalled(productName);
}

bool WindowsSystem::uninstallPreviousVersion(const char* productName) {
    return UninstallRegistry::runUninstaller(productName, console_,
                                             UninstallRegistry::kAnnounceBoundMs)
        .started;
}

ChangeResult WindowsSystem::registerUninstall(const UninstallRegistration& registration) {
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
    return RestartRemovals::schedule(path);
}

bool WindowsSystem::settleRemovalAtRestart(const char* path) {
    return RestartRemovals::settle(path);
}
