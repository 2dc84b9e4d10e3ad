// Every change the engine makes to the machine outside the files it copies, and the questions
// it asks the machine, behind one interface: the Windows implementation makes them, the
// recording one lets the engine's tests see them. The change operations return true for success
// (or nothing to do) and false for failure; a change hands its undo record to `record` before it
// is made (see RecordSink.h).
#pragma once

#include "system/ChangeResult.h"
#include "system/EnvironmentValue.h"
#include "system/ProgramLauncher.h"
#include "system/RecordSink.h"
#include "system/RunRecord.h"
#include "system/ShellShortcuts.h"

#include <optional>

class RunReporter;
struct UninstallRegistration;

class SystemChanges {
  public:
    virtual ~SystemChanges() = default;

    // A fresh temporary file name (at least fileaccess::kPathSize bytes of buffer).
    virtual bool makeTempFileName(char* out, int size) = 0;
    virtual bool isAppRunning(const char* moduleName) = 0;
    // `isPath`: the value names a folder, which a list gets only once.
    virtual bool changeEnvironment(const char* name, const char* value, EnvironmentValue::Mode mode,
                                   const RecordSink& record, RunReporter* ui, bool isPath) = 0;
    virtual bool undoEnvironmentChange(const char* record, RunReporter* ui) = 0;
    virtual void broadcastEnvironmentChange() = 0;
    virtual bool changeIniFile(const char* file, const char* section, const char* key,
                               const char* value, const RecordSink& record, RunReporter* ui,
                               bool isPath, const char* beforeKey) = 0;
    virtual bool undoIniChange(const char* record, RunReporter* ui) = 0;
    virtual bool createShortcut(ShellShortcuts::Kind kind, const char* path, const char* target,
                                const char* description, const char* arguments,
                                const char* workingFolder, const RecordSink& record,
                                RunReporter* ui) = 0;
    virtual bool undoShortcut(const char* record, RunReporter* ui) = 0;
    // A document is opened with its associated program; a program is started with the quoted
    // path and the arguments. True when it was started.
    virtual bool launch(const char* file, ProgramLauncher::Kind kind, const char* arguments) = 0;
    // Opens the address in the program associated with ".htm"; nobody waits for it.
    virtual void showHelpDocument(const char* helpUrl) = 0;
    virtual bool isPreviousVersionInstalled(const char* productName) = 0;
    // Runs the registered uninstall command and waits for it through the two named events.
    // True when it was started.
    virtual bool uninstallPreviousVersion(const char* productName) = 0;
    // Every value written, or which could not be.
    virtual ChangeResult registerUninstall(const UninstallRegistration& registration) = 0;
    // Deletes the product's registration; true also when there is none.
    virtual bool removeUninstallRegistration(const char* productName) = 0;
    // The record of a running installation of the product (kept beside its registration); false
    // when it could not be written whole.
    virtual bool writeRunRecord(const char* productName, const RunRecord& record) = 0;
    // The record an interrupted installation left; nothing when there is none (or none that
    // names full paths).
    virtual std::optional<RunRecord> findRunRecord(const char* productName) = 0;
    // Removes the record (and the key it stands in when no registration shares it); true also
    // when there is none.
    virtual bool removeRunRecord(const char* productName) = 0;
    // Has the system remove the file, or the folder if it is then empty, at the next start of
    // Windows; false when it cannot be scheduled.
    virtual bool removeAtRestart(const char* path) = 0;
    // A file Windows is to remove at its next start is removed now and taken off that list:
    // true then, and when it was not on it; false when it is and cannot be removed now.
    virtual bool settleRemovalAtRestart(const char* path) = 0;
};
