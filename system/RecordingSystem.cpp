#include "system/RecordingSystem.h"

#include "package/BoundedText.h"
#include "system/UninstallRegistration.h"

namespace {
void clearRecord(char* record, int capacity) {
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
}
} // namespace

int RecordingSystem::record(const std::string& call, int answer) {
    calls.push_back(call);
    return answer;
}

int RecordingSystem::makeTempFileName(char* out, int size) {
    if (tempFolder.empty())
        return -1;
    return boundedFormat(out, size, "%s/qzinstall%d.tmp", tempFolder.c_str(), ++tempCounter_) < 0
               ? -1
               : 0;
}

int RecordingSystem::isAppRunning(const char* moduleName) {
    return runningPrograms.count(moduleName) != 0 ? 1 : 0;
}

int RecordingSystem::changeEnvironment(const char* name, const char*, int, char* record,
                                       int capacity, InstallerUI*, int) {
    clearRecord(record, capacity);
    return this->record(std::string("changeEnvironment:") + name, 1);
}

int RecordingSystem::undoEnvironmentChange(const char* record, InstallerUI*) {
    return this->record(std::string("undoEnvironmentChange:") + record, 1);
}

int RecordingSystem::broadcastEnvironmentChange() {
    return record("broadcastEnvironmentChange:", 1);
}

int RecordingSystem::changeIniFile(const char* file, const char*, const char*, const char*, int,
                                   char* record, int capacity, InstallerUI*, int, const char*) {
    clearRecord(record, capacity);
    return this->record(std::string("changeIniFile:") + file, 1);
}

int RecordingSystem::undoIniChange(const char* record, InstallerUI*) {
    return this->record(std::string("undoIniChange:") + record, 1);
}

int RecordingSystem::createShortcut(int, const char* path, const char*, const char*, const char*,
                                    const char*, char* record, int capacity, InstallerUI*) {
    clearRecord(record, capacity);
    return this->record(std::string("createShortcut:") + path, 1);
}

int RecordingSystem::undoShortcut(const char* record, InstallerUI*) {
    return this->record(std::string("undoShortcut:") + record, 1);
}

int RecordingSystem::launch(const char* file, int, const char*) {
    return record(std::string("launch:") + file, 1);
}

int RecordingSystem::isPreviousVersionInstalled(const char* productName) {
    calls.push_back(std::string("isPreviousVersionInstalled:") + productName);
    return previousVersionInstalled;
}

int RecordingSystem::showHelpDocument(const char* helpUrl) {
    return record(std::string("showHelpDocument:") + helpUrl, 0);
}

int RecordingSystem::uninstallPreviousVersion(const char* productName) {
    calls.push_back(std::string("uninstallPreviousVersion:") + productName);
    if (previousVersionRemoved != 0)
        previousVersionInstalled = 0;
    return 1;
}

int RecordingSystem::registerUninstall(const UninstallRegistration& registration) {
    return record("registerUninstall:" + registration.uninstallString(), 1);
}
