// Puts back the previous content of the files an installation overwrote, deciding for each from
// what is on disk now, from the last backup entry to the first (when two file sets replaced one
// file, only this order brings the user's own content back last):
// - the file already holds its previous content: nothing to do (a write that failed before it
//   changed anything, or an earlier uninstall that got this far);
// - the installation's last write to it failed or was cut, the file is gone, or it still holds
//   exactly what the installation wrote: the saved bytes are checked, then written back;
// - it cannot be read (another program holds it): a failure, nothing is written;
// - anything else is the user's change since: left as it is.
// A restore never leaves a file half-written where it can be avoided: a file the installation
// wrote whole is replaced by a complete copy made beside it.
#pragma once

#include "engine/BackupFile.h"

#include <set>
#include <string>

class RunReporter;
class Log;

class BackupRestore {
  public:
    struct Outcome {
        bool backupWhole = true; // the backup file was read to its end entry
        int restored = 0;
        int left = 0;
        int failed = 0;
        // Some previous content exists only in the backup file: it must be kept.
        bool backupNeeded() const { return !backupWhole || failed > 0; }
    };

    BackupRestore(RunReporter& ui, Log* stepLog) : ui_(ui), stepLog_(stepLog) {}

    // What the action log says of the files the installation replaced.
    struct Overwritten {
        std::set<std::string> all;
        std::set<std::string> unfinished; // whose last write by the installation did not complete
        // The installation was stopped: the backup may end in the entry it was writing, whose
        // file it had not touched yet. Only the entries of the files named above are needed.
        bool interrupted = false;
    };
    Outcome restore(const std::string& backupPath, Overwritten overwritten);

  private:
    enum class Verdict { kRestored, kLeft, kFailed };

    Verdict restoreEntry(BackupFile& backup, const BackupFile::Entry& entry, bool unfinished);
    bool writeInPlace(BackupFile& backup, const BackupFile::Entry& entry, int* error);
    bool writeBeside(BackupFile& backup, const BackupFile::Entry& entry, int* error);
    Verdict failed(const BackupFile::Entry& entry, const char* reason, int error);

    RunReporter& ui_;
    Log* stepLog_;
};
