#include "tests/support/RecordingSystem.h"

#include "package/BoundedText.h"
#include "system/UninstallRegistration.h"

int RecordingSystem::change(const std::string& call, const std::string& name,
                            const RecordSink& record) {
    calls.push_back(call);
    return failing.count(name) == 0 && record("RECORD\t" + name) ? 1 : 0;
}

int RecordingSystem::makeTempFileName(char* out, int size) {
    if (tempFolder.empty())
        return -1;
    return boundedFormat(out, size, "%s/qzinstall%d.tmp", tempFolder.c_str(), ++tempCounter_) < 0
               ? -1
               : 0;
}

int RecordingSystem::changeEnvironment(const char* name, const char* value, int mode,
                                       const RecordSink& record, RunReporter*, int isPath) {
    return change("changeEnvironment:" + std::string(name) + "=" + value + " mode " +
                      std::to_string(mode) + (isPath != 0 ? " path" : ""),
                  name, record);
}

int RecordingSystem::changeIniFile(const char* file, const char* section, const char* key,
                                   const char* value, int, const RecordSink& record, RunReporter*,
                                   int, const char* beforeKey) {
    return change("changeIniFile:" + std::string(file) + " [" + section + "]" + key + "=" + value +
                      " before " + beforeKey,
                  file, record);
}

int RecordingSystem::createShortcut(int kind, const char* path, const char* target,
                                    const char* description, const char* arguments,
                                    const char* workingFolder, const RecordSink& record,
                                    RunReporter*) {
    return change("createShortcut:" + std::to_string(kind) + " " + path + " -> " + target + " " +
                      (arguments != nullptr ? arguments : "<none>") + " in " +
                      (workingFolder != nullptr ? workingFolder : "<none>") + " '" + description +
                      "'",
                  path, record);
}

int RecordingSystem::launch(const char* file, int asDocument, const char* arguments) {
    return record(std::string(asDocument != 0 ? "open:" : "run:") + file +
                      (arguments != nullptr ? std::string(" ") + arguments : ""),
                  1);
}

int RecordingSystem::uninstallPreviousVersion(const char* productName) {
    calls.push_back(std::string("uninstallPreviousVersion:") + productName);
    if (previousVersionRemoved != 0)
        previousVersionInstalled = 0;
    return 1;
}

int RecordingSystem::registerUninstall(const UninstallRegistration& registration) {
    installLocation = registration.installLocation;
    return record("registerUninstall:" + registration.uninstallString(), 1);
}
