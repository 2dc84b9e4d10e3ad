// The system changes on Windows: temporary names, running programs, and (to come) the
// environment, INI files, shortcuts, launching and the uninstall registration.
#pragma once

#include "system/SystemChanges.h"

class WindowsSystem : public SystemChanges {
  public:
    // In a console run a previous version's uninstaller runs in the console too.
    explicit WindowsSystem(bool console = false) : console_(console) {}

    int makeTempFileName(char* out, int size) override;
    int isAppRunning(const char* moduleName) override;
    int changeEnvironment(const char* name, const char* value, int mode, const RecordSink& record,
                          RunReporter* ui, int isPath) override;
    int undoEnvironmentChange(const char* record, RunReporter* ui) override;
    int broadcastEnvironmentChange() override;
    int changeIniFile(const char* file, const char* section, const char* key, const char* value,
                      int mode, const RecordSink& record, RunReporter* ui, int isPath,
                      const char* beforeKey) override;
    int undoIniChange(const char* record, RunReporter* ui) override;
    int createShortcut(int kind, const char* path, const char* target, const char* description,
                       const char* arguments, const char* workingFolder, const RecordSink& record,
                       RunReporter* ui) override;
    int undoShortcut(const char* record, RunReporter* ui) override;
    int launch(const char* file, int asDocument, const char* arguments) override;
    int showHelpDocument(const char* helpUrl) override;
    int isPreviousVersionInstalled(const char* productName) override;
    int uninstallPreviousVersion(const char* productName) override;
    int registerUninstall(const UninstallRegistration& registration) override;
    bool removeUninstallRegistration(const char* productName) override;
    bool writeRunRecord(const char* productName, const RunRecord& record) override;
    std::optional<RunRecord> findRunRecord(const char* productName) override;
    bool removeRunRecord(const char* productName) override;
    bool removeAtRestart(const char* path) override;

  private:
    bool console_;
    int tempCounter_ = 0;
};
