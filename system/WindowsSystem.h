// The system changes on Windows: temporary names, running programs, and (to come) the
// environment, INI files, shortcuts, launching and the uninstall registration.
#pragma once

#include "system/SystemChanges.h"

class WindowsSystem : public SystemChanges {
  public:
    // In a console run a previous version's uninstaller runs in the console too.
    explicit WindowsSystem(bool console = false) : console_(console) {}

    bool makeTempFileName(char* out, int size) override;
    bool isAppRunning(const char* moduleName) override;
    bool changeEnvironment(const char* name, const char* value, EnvironmentValue::Mode mode,
                           const RecordSink& record, RunReporter* ui, bool isPath) override;
    bool undoEnvironmentChange(const char* record, RunReporter* ui) override;
    void broadcastEnvironmentChange() override;
    bool changeIniFile(const char* file, const char* section, const char* key, const char* value,
                       const RecordSink& record, RunReporter* ui, bool isPath,
                       const char* beforeKey) override;
    bool undoIniChange(const char* record, RunReporter* ui) override;
    bool createShortcut(ShellShortcuts::Kind kind, const char* path, const char* target,
                        const char* description, const char* arguments, const char* workingFolder,
                        const RecordSink& record, RunReporter* ui) override;
    bool undoShortcut(const char* record, RunReporter* ui) override;
    bool launch(const char* file, ProgramLauncher::Kind kind, const char* arguments) override;
    void showHelpDocument(const char* helpUrl) override;
    bool isPreviousVersionInstalled(const char* productName) override;
    bool uninstallPreviousVersion(const char* productName) override;
    ChangeResult registerUninstall(const UninstallRegistration& registration) override;
    bool removeUninstallRegistration(const char* productName) override;
    bool writeRunRecord(const char* productName, const RunRecord& record) override;
    std::optional<RunRecord> findRunRecord(const char* productName) override;
    bool removeRunRecord(const char* productName) override;
    bool removeAtRestart(const char* path) override;
    bool settleRemovalAtRestart(const char* path) override;

  private:
    bool console_;
    int tempCounter_ = 0;
};
