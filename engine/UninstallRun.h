// One uninstall, or the rollback of a run: the variables recorded in the action log, the
// "PreUninstall" actions, the restore of the backed-up files, then the records in log order
// (created files deleted; environment, INI and shortcut changes undone), then the folders the
// installation made, deepest first. Records are read whole; a line that is not a complete
// record, or a path that is not a full path, is never acted on.
#pragma once

#include "engine/BackupFile.h"

#include <cstdio>
#include <string>
#include <vector>

class Description;
class InstallerUI;
class Log;
class SystemChanges;
class VariableStore;

class UninstallRun {
  public:
    UninstallRun(const Description& description, VariableStore& variables, SystemChanges& system,
                 InstallerUI& ui, Log* stepLog);

    // 0 when every deletion, removal, undo and restore succeeded, else -1. A null backup path
    // reads it from the action log (its second line: the stream stands behind the first).
    int perform(std::FILE* actionLog, const char* backupPath);
    // Every backed-up file was put back: nothing left, nothing failed, the backup read whole.
    bool restoredEverything() const { return !backupStillNeeded() && restored_.left == 0; }

  private:
    // Some previous content exists only in the backup: an entry could not be read or written
    // back. (A file the user changed since is left on purpose and needs nothing more.)
    bool backupStillNeeded() const { return !restored_.complete || restored_.failed > 0; }

    struct Folder {
        std::string path;
        int levels;
    };

    bool readBackupPath(std::FILE* actionLog, const char* given);
    void restoreFiles();
    void walkRecords(std::FILE* actionLog);
    void undoRecord(int kind, const std::string& fields);
    void deleteFile(const std::string& fields);
    void noteFolder(const std::string& fields);
    void removeFolders();
    void fail() { error_ = true; }

    const Description& description_;
    VariableStore& variables_;
    SystemChanges& system_;
    InstallerUI& ui_;
    Log* stepLog_;
    std::string backupPath_;
    BackupFile::Restored restored_;
    std::vector<Folder> folders_;
    bool error_ = false;
    bool environmentChanged_ = false;
};
