// One installation run: settles a previous version, copies the selected files (FileCopy) while
// the action log and the backup file record every change under temporary names, applies the
// environment, INI and shortcut items, and then either moves both files into place and
// registers the uninstaller, or, after errors and the user's consent, undoes the run.
#pragma once

#include "engine/ActionLog.h"
#include "engine/BackupFile.h"
#include "package/BoundedText.h"

#include <cstdint>
#include <string>

class Description;
class FileList;
class InstallerUI;
class Payload;
class SystemChanges;
class VariableStore;

class InstallationRun {
  public:
    // The debug log (may be null) receives the steps of a rollback.
    InstallationRun(const Description& description, const FileList& files, VariableStore& variables,
                    const Payload& payload, SystemChanges& system, InstallerUI& ui, Log* debugLog);

    // 0 when completed (also with errors the user chose to keep); -1 when cancelled at the
    // previous-version questions, without temporary files, or undone.
    int perform();
    // The user aborted at the previous-version questions.
    bool wasCancelled() const { return cancelled_; }

  private:
    bool settlePreviousVersion();
    bool openUndoFiles();
    void writeLogHeader();
    void copyFiles();
    void applyItems();
    void showFinalStatus();
    int rollBack();
    bool moveIntoPlace();
    bool moveFile(const char* from, const char* to, bool named);
    // False when the description asks for a registration that cannot be made.
    bool registerUninstall();
    void noteWritten(const char* path, uint32_t length);
    void noteFolder(const std::string& path);

    const Description& description_;
    const FileList& files_;
    VariableStore& variables_;
    const Payload& payload_;
    SystemChanges& system_;
    InstallerUI& ui_;
    Log* debugLog_;
    Log actionLogFile_;
    ActionLog actionLog_{actionLogFile_};
    BackupFile backup_;
    char productName_[512] = {};
    char logPath_[512] = {};
    char backupPath_[512] = {};
    char finalBackupPath_[512] = {};
    bool finalBackupNamed_ = false;
    char finalLogPath_[512] = {};
    bool finalLogNamed_ = false;
    int error_ = 0;
    bool cancelled_ = false;
    uint64_t bytesWritten_ = 0;
    // The deepest folder holding every file the run wrote, with its separator.
    std::string installedFolder_;
};
