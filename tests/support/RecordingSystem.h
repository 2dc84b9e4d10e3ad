// The system side for tests: changes nothing on the machine, writes down every call in order
// ("name:argument") and answers with what the test set. Temporary names are files in a folder
// the test chooses, so that a run's undo files can be found and read.
#pragma once

#include "system/SystemChanges.h"

#include <set>
#include <string>
#include <vector>

class RecordingSystem : public SystemChanges {
  public:
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

    // Where temporary names are made; empty: no temporary name can be had.
    std::string tempFolder;
    std::set<std::string> runningPrograms;
    // Changes of these names (variable, INI file or shortcut path) fail.
    std::set<std::string> failing;
    int previousVersionInstalled = 0;
    // What a previous version's uninstall leaves: 1, removed; 0, still installed.
    int previousVersionRemoved = 1;
    bool removeAtRestart(const char* path) override;
    std::vector<std::string> calls;
    // The last registration's "InstallLocation".
    std::string installLocation;
    // The run record the product holds, as the registry would keep it.
    std::optional<RunRecord> runRecord;

  private:
    int record(const std::string& call, int answer);
    // A change succeeds unless its name is failing; its record names the call.
    int change(const std::string& call, const std::string& name, const RecordSink& record);
    int tempCounter_ = 0;
};
