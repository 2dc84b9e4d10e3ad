// The system side for tests: changes nothing on the machine, writes down every call in order
// ("name:argument") and answers with what the test set. Temporary names are files in a folder
// the test chooses, so that a run's undo files can be found and read.
#pragma once

#include "system/SystemChanges.h"
#include "system/UninstallRegistration.h"

#include <set>
#include <string>
#include <vector>

class RecordingSystem : public SystemChanges {
  public:
    bool makeTempFileName(char* out, int size) override;
    bool isAppRunning(const char* name) override { return runningPrograms.count(name) != 0; }
    bool changeEnvironment(const char* name, const char* value, EnvironmentValue::Mode mode,
                           const RecordSink& record, RunReporter* ui, bool isPath) override;
    bool undoEnvironmentChange(const char* text, RunReporter*) override {
        return record(std::string("undoEnvironmentChange:") + text, true);
    }
    void broadcastEnvironmentChange() override { record("broadcastEnvironmentChange:", true); }
    bool changeIniFile(const char* file, const char* section, const char* key, const char* value,
                       const RecordSink& record, RunReporter* ui, bool isPath,
                       const char* beforeKey) override;
    bool undoIniChange(const char* text, RunReporter*) override {
        return record(std::string("undoIniChange:") + text, true);
    }
    bool createShortcut(ShellShortcuts::Kind kind, const char* path, const char* target,
                        const char* description, const char* arguments, const char* workingFolder,
                        const RecordSink& record, RunReporter* ui) override;
    bool undoShortcut(const char* text, RunReporter*) override {
        return record(std::string("undoShortcut:") + text, true);
    }
    bool launch(const char* file, ProgramLauncher::Kind kind, const char* arguments) override;
    void showHelpDocument(const char* url) override {
        record(std::string("showHelpDocument:") + url, true);
    }
    bool isPreviousVersionInstalled(const char* product) override {
        return record(std::string("isPreviousVersionInstalled:") + product,
                      previousVersionInstalled);
    }
    bool uninstallPreviousVersion(const char* productName) override;
    ChangeResult registerUninstall(const UninstallRegistration& registration) override;
    bool removeUninstallRegistration(const char* product) override {
        return record(std::string("removeUninstallRegistration:") + product,
                      failing.count(product) == 0);
    }
    bool writeRunRecord(const char* product, const RunRecord& record) override {
        if (failing.count(product) != 0)
            return false;
        return (runRecord = record, true);
    }
    std::optional<RunRecord> findRunRecord(const char*) override { return runRecord; }
    bool removeRunRecord(const char*) override { return (runRecord.reset(), true); }
    bool removeAtRestart(const char* path) override {
        return record(std::string("removeAtRestart:") + path, true);
    }
    bool settleRemovalAtRestart(const char* path) override {
        return record(std::string("settleRemovalAtRestart:") + path, failing.count(path) == 0);
    }

    // Where temporary names are made; empty: no temporary name can be had.
    std::string tempFolder;
    std::set<std::string> runningPrograms;
    // Changes of these names (variable, INI file or shortcut path) fail.
    std::set<std::string> failing;
    bool previousVersionInstalled = false;
    // What a previous version's uninstall leaves: removed, or still installed.
    bool previousVersionRemoved = true;
    std::vector<std::string> calls;
    // The last registration written.
    UninstallRegistration registration;
    // The run record the product holds, as the registry would keep it.
    std::optional<RunRecord> runRecord;

  private:
    bool record(const std::string& call, bool answer) { return (calls.push_back(call), answer); }
    // A change succeeds unless its name is failing; its record names the call.
    bool change(const std::string& call, const std::string& name, const RecordSink& record);
    int tempCounter_ = 0;
};
