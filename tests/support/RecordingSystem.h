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
    int isAppRunning(const char* name) override { return runningPrograms.count(name) != 0; }
    int changeEnvironment(const char* name, const char* value, int mode, const RecordSink& record,
                          RunReporter* ui, int isPath) override;
    int undoEnvironmentChange(const char* text, RunReporter*) override {
        return record(std::string("undoEnvironmentChange:") + text, 1);
    }
    int broadcastEnvironmentChange() override { return record("broadcastEnvironmentChange:", 1); }
    int changeIniFile(const char* file, const char* section, const char* key, const char* value,
                      int mode, const RecordSink& record, RunReporter* ui, int isPath,
                      const char* beforeKey) override;
    int undoIniChange(const char* text, RunReporter*) override {
        return record(std::string("undoIniChange:") + text, 1);
    }
    int createShortcut(int kind, const char* path, const char* target, const char* description,
                       const char* arguments, const char* workingFolder, const RecordSink& record,
                       RunReporter* ui) override;
    int undoShortcut(const char* text, RunReporter*) override {
        return record(std::string("undoShortcut:") + text, 1);
    }
    int launch(const char* file, int asDocument, const char* arguments) override;
    int showHelpDocument(const char* url) override {
        return record(std::string("showHelpDocument:") + url, 0);
    }
    int isPreviousVersionInstalled(const char* product) override {
        return record(std::string("isPreviousVersionInstalled:") + product,
                      previousVersionInstalled);
    }
    int uninstallPreviousVersion(const char* productName) override;
    int registerUninstall(const UninstallRegistration& registration) override;
    bool removeUninstallRegistration(const char* product) override {
        return record(std::string("removeUninstallRegistration:") + product,
                      failing.count(product) == 0) != 0;
    }
    bool writeRunRecord(const char* product, const RunRecord& record) override {
        if (failing.count(product) != 0)
            return false;
        return (runRecord = record, true);
    }
    std::optional<RunRecord> findRunRecord(const char*) override { return runRecord; }
    bool removeRunRecord(const char*) override { return (runRecord.reset(), true); }
    bool removeAtRestart(const char* path) override {
        return record(std::string("removeAtRestart:") + path, 1) == 1;
    }

    // Where temporary names are made; empty: no temporary name can be had.
    std::string tempFolder;
    std::set<std::string> runningPrograms;
    // Changes of these names (variable, INI file or shortcut path) fail.
    std::set<std::string> failing;
    int previousVersionInstalled = 0;
    // What a previous version's uninstall leaves: 1, removed; 0, still installed.
    int previousVersionRemoved = 1;
    std::vector<std::string> calls;
    // The last registration's "InstallLocation".
    std::string installLocation;
    // The run record the product holds, as the registry would keep it.
    std::optional<RunRecord> runRecord;

  private:
    int record(const std::string& call, int answer) { return (calls.push_back(call), answer); }
    // A change succeeds unless its name is failing; its record names the call.
    int change(const std::string& call, const std::string& name, const RecordSink& record);
    int tempCounter_ = 0;
};
