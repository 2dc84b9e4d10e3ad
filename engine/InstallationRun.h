// One installation run: settles a previous version, makes sure no other installation's undo data
// stands where its own will go, copies the selected files (FileCopy) while the action log and the
// backup file record every change under temporary names, applies the environment, INI and
// shortcut items, closes the log with its closing record, and then either moves both files into
// place and registers the uninstaller, or, after errors and the user's consent, undoes the run.
#pragma once

#include "engine/ActionLog.h"
#include "engine/BackupFile.h"
#include "package/BoundedText.h"
#include "package/WinFile.h"

#include <cstdint>
#include <string>

class Description;
class FileList;
class RunReporter;
class Payload;
class SystemChanges;
class VariableStore;

class InstallationRun {
  public:
    // The debug log (may be null) receives the steps of a rollback.
    InstallationRun(const Description& description, const FileList& files, VariableStore& variables,
                    const Payload& payload, SystemChanges& system, RunReporter& ui, Log* debugLog);

    // True when completed (also with errors the user chose to keep); false when cancelled or
    // stopped before any change, without temporary files, or undone.
    bool perform();
    // The user aborted at the previous-version question.
    bool wasCancelled() const { return cancelled_; }

  private:
    enum class Previous { kNone, kRemoved, kCancelled, kStillInstalled };
    // Where the undo data goes once the run is complete; empty where the description's path does
    // not expand whole.
    struct FinalPaths {
        std::string description, backup, actionLog;
    };
    // What the files of the run came to.
    struct Written {
        // A file, or the record of one, failed.
        bool failed = false;
        uint64_t bytes = 0;
        // The product's own folder (with its separator): the deepest one holding every file the
        // run created in folders it made itself, when the run made that folder; else empty.
        std::string folder;
    };

    Previous settlePreviousVersion(const std::string& productName);
    FinalPaths finalPaths() const;
    // Everything that can be checked before the first change; false (said why) stops the run.
    bool readyToChange(const FinalPaths& paths, Previous previous);
    bool finalPathsExpand(const FinalPaths& paths);
    bool undoDataIsFree(const FinalPaths& paths, Previous previous);
    bool filesCanBeInstalled();
    bool uninstallerIsFree();
    bool openUndoFiles(const std::string& productName, const FinalPaths& paths);
    void removeUndoFiles();
    // A failure of these steps does not stop the run: it offers the undo at its end.
    // False when a header line could not be written.
    bool writeLogHeader(const FinalPaths& paths);
    Written copyFiles();
    // False when an item failed.
    bool applyItems();
    // Writes the closing record; whether the run succeeded, that record included.
    bool closeUndoFiles(bool succeeded);
    // Undoes the run; whether or not that succeeds, the run did not complete.
    void rollBack(const FinalPaths& paths, const std::string& productName, const Written& written);
    // The run is complete or undone: nothing needs its record any more.
    void forgetRun(const std::string& productName);
    bool moveIntoPlace(const FinalPaths& paths);
    bool moveFile(const char* from, const std::string& to);
    // False when the description asks for a registration that cannot be made.
    bool registerUninstall(const FinalPaths& paths, const std::string& productName,
                           Written written);

    const Description& description_;
    const FileList& files_;
    VariableStore& variables_;
    const Payload& payload_;
    SystemChanges& system_;
    RunReporter& ui_;
    Log* debugLog_;
    Log actionLogFile_;
    ActionLog actionLog_{actionLogFile_};
    BackupFile backup_;
    // The temporary names of the action log and the backup file.
    char logPath_[fileaccess::kPathSize] = {};
    char backupPath_[fileaccess::kPathSize] = {};
    bool cancelled_ = false;
};
