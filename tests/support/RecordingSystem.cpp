#include "tests/support/RecordingSystem.h"

#include "package/BoundedText.h"

namespace {
const char* modeName(EnvironmentValue::Mode mode) {
    switch (mode) {
    case EnvironmentValue::Mode::kReplace:
        return "Replace";
    case EnvironmentValue::Mode::kAppend:
        return "Append";
    case EnvironmentValue::Mode::kInsert:
        return "Insert";
    }
    return "?";
}

const char* kindName(ShellShortcuts::Kind kind) {
    switch (kind) {
    case ShellShortcuts::Kind::kFile:
        return "File";
    case ShellShortcuts::Kind::kUrl:
        return "URL";
    case ShellShortcuts::Kind::kUninstall:
        return "Uninstall";
    }
    return "?";
}
} // namespace

bool RecordingSystem::change(const std::string& call, const std::string& name,
                             const RecordSink& record) {
    calls.push_back(call);
    return failing.count(name) == 0 && record("RECORD\t" + name);
}

bool RecordingSystem::makeTempFileName(char* out, int size) {
    return !tempFolder.empty() &&
           boundedFormat(out, size, "%s/qzinstall%d.tmp", tempFolder.c_str(), ++tempCounter_) >= 0;
}

bool RecordingSystem::changeEnvironment(const char* name, const char* value,
                                        EnvironmentValue::Mode mode, const RecordSink& record,
                                        RunReporter*, bool isPath) {
    return change("changeEnvironment:" + std::string(name) + "=" + value + " " + modeName(mode) +
                      (isPath ? " path" : ""),
                  name, record);
}

bool RecordingSystem::changeIniFile(const char* file, const char* section, const char* key,
                                    const char* value, const RecordSink& record, RunReporter*, bool,
                                    const char* beforeKey) {
    return change("changeIniFile:" + std::string(file) + " [" + section + "]" + key + "=" + value +
                      " before " + beforeKey,
                  file, record);
}

bool RecordingSystem::createShortcut(ShellShortcuts::Kind kind, const char* path,
                                     const char* target, const char* description,
                                     const char* arguments, const char* workingFolder,
                                     const RecordSink& record, RunReporter*) {
    return change("createShortcut:" + std::string(kindName(kind)) + " " + path + " -> " + target +
                      " " + (arguments != nullptr ? arguments : "<none>") + " in " +
                      (workingFolder != nullptr ? workingFolder : "<none>") + " '" + description +
                      "'",
                  path, record);
}

bool RecordingSystem::launch(const char* file, ProgramLauncher::Kind kind, const char* arguments) {
    return record(std::string(kind == ProgramLauncher::Kind::kDocument ? "open:" : "run:") + file +
                      (arguments != nullptr ? std::string(" ") + arguments : ""),
                  true);
}

bool RecordingSystem::uninstallPreviousVersion(const char* productName) {
    calls.push_back(std::string("uninstallPreviousVersion:") + productName);
    if (previousVersionRemoved)
        previousVersionInstalled = false;
    return true;
}

ChangeResult RecordingSystem::registerUninstall(const UninstallRegistration& registration) {
    this->registration = registration;
    record("registerUninstall:" + registration.uninstallString(), true);
    return {};
}
