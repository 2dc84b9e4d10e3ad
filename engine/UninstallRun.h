// One uninstall, or the rollback of a run. The action log is read whole first; then the
// variables it recorded, the "PreUninstall" actions, the restore of the backed-up files, the
// records in log order (created files deleted; environment, INI and shortcut changes undone),
// and last the undo files themselves and the folders the installation made, deepest first.
//
// Every step decides from what is on disk: what is already undone counts as done, what the user
// changed since is left (and said so), and what could not be undone keeps the uninstall pending.
// A pending uninstall keeps everything needed to run it again: the registration, the action log,
// the backup file, the description copy and the uninstaller program.
#pragma once

#include "engine/ActionLogReader.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

class Description;
class RunReporter;
class Log;
class SystemChanges;
class VariableStore;

class UninstallRun {
  public:
    UninstallRun(const Description& description, VariableStore& variables, SystemChanges& system,
                 RunReporter& ui, Log* stepLog);

    // What the run is, and what it may remove at its end.
    struct Target {
        // The rollback's temporary backup file; null for an uninstall, which takes the log's.
        const char* rollbackBackup = nullptr;
        // The registration an uninstall removes once nothing remains to be undone; null: none.
        const char* registrationName = nullptr;
        // The log is that of a run that was stopped: it lacks its closing record, and its last
        // line may be cut. It lists every change made up to there all the same.
        bool interrupted = false;
        // Set when the uninstaller program that started this run waits for its outcome: called
        // once only that program (and the folders holding it) remains, to tell the outcome and
        // wait until the program has ended, so that it can then be removed.
        std::function<void()> tellOutcome;
    };
    // True when nothing remains to be undone (a change the user made since is left on purpose).
    bool perform(const ActionLogReader::Contents& log, const Target& target);
    // The same over the log read whole from the stream.
    bool perform(std::FILE* actionLog, const Target& target) {
        return perform(ActionLogReader::read(actionLog), target);
    }
    // Backed-up files left as someone changed them since: their previous content is still in the
    // backup file alone.
    int filesLeft() const { return filesLeft_; }

  private:
    struct Folder {
        std::string path;
        int levels;
    };
    // The files the uninstall itself needs, removed only once everything else is undone.
    struct UndoFiles {
        std::string actionLog, backup, description, program;
    };

    void setVariables(const std::vector<ActionLogReader::Variable>& recorded);
    UndoFiles findUndoFiles(const ActionLogReader::Contents& log) const;
    void restoreFiles(const std::string& backupPath, const ActionLogReader::Contents& log,
                      bool interrupted);
    // Undoes the records in log order; returns the folders to remove and the undo files a FILE
    // CREATE record names (those are the installation's to remove).
    std::vector<Folder> undoRecords(const std::vector<ActionLogReader::Record>& records,
                                    const UndoFiles& undoFiles,
                                    std::vector<std::string>* installed);
    void undoRecord(const ActionLogReader::Record& record, std::vector<Folder>& folders);
    void deleteFile(const std::string& path,
                    std::chrono::milliseconds patience = std::chrono::milliseconds(0));
    bool noteFolder(const ActionLogReader::Record& record, std::vector<Folder>& folders);
    // True when the uninstaller program could only be scheduled for removal at the next start.
    bool removeUndoFiles(const Target& target, const UndoFiles& undoFiles,
                         const std::vector<std::string>& installed);
    bool removeProgram(const std::string& path, bool handedOver);
    void removeAtRestart(const std::vector<Folder>& folders);
    // Removes the folders, deepest first; returns the records with a level still holding files.
    // `last`: such a level is reported as left to its owner (else it is tried again later).
    std::vector<Folder> removeFolders(const std::vector<Folder>& folders, bool last);
    void fail() { pending_ = true; }

    const Description& description_;
    VariableStore& variables_;
    SystemChanges& system_;
    RunReporter& ui_;
    Log* stepLog_;
    // Something of the installation remains that a later run must undo.
    bool pending_ = false;
    bool environmentChanged_ = false;
    int filesLeft_ = 0;
};
