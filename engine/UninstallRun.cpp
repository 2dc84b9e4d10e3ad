#include "engine/UninstallRun.h"

#include "config/Description.h"
#include "config/VariableStore.h"
#include "engine/ActionLog.h"
#include "engine/BackupRestore.h"
#include "engine/ProgramActions.h"
#include "engine/RunReport.h"
#include "package/Log.h"
#include "package/Paths.h"
#include "package/Platform.h"
#include "package/RunReporter.h"
#include "package/WinFile.h"
#include "system/SystemChanges.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <thread>
#include <utility>

namespace {
constexpr std::chrono::milliseconds kProgramPatience(10000);
constexpr const char* kIncomplete =
    "The action log is incomplete: it does not end with the record of a finished installation, "
    "so only the changes it lists were undone.";
constexpr const char* kPending =
    "The uninstall is not complete: the registration, the action log and the backup file are "
    "kept. Run the uninstall again to finish it.";

// One file named twice: the records' paths are canonical, the undo files' as the description
// gave them.
bool samePath(const std::string& first, const std::string& second) {
    // Asked for every created file: most differ in the length of their last level already.
    if (first.empty() ||
        first.size() - first.find_last_of("\\/") != second.size() - second.find_last_of("\\/"))
        return false;
    std::string one = first;
    std::string other = second;
    collapseSeparators(&one[0]);
    collapseSeparators(&other[0]);
    return strcasecmp(one.c_str(), other.c_str()) == 0;
}

std::string expanded(const Description& description,
                     bool (Description::*getter)(char*, int) const) {
    char path[fileaccess::kPathSize];
    return (description.*getter)(path, sizeof path) ? std::string(path) : std::string();
}

// A shortcut is recorded before the shell saves it (its check "-"), and again with the check of
// the file saved: the later record is the one to undo.
bool isSuperseded(const std::vector<ActionLogReader::Record>& records, size_t index) {
    const ActionLogReader::Record& record = records[index];
    const std::string& fields = record.fields;
    if (record.kind != ActionLogReader::Kind::kShortcut || fields.size() < 2 ||
        fields.compare(fields.size() - 2, 2, "\t-") != 0)
        return false;
    for (size_t later = index + 1; later < records.size(); ++later) {
        if (records[later].kind == ActionLogReader::Kind::kShortcut &&
            records[later].fields.compare(0, fields.size() - 1, fields, 0, fields.size() - 1) == 0)
            return true;
    }
    return false;
}

// "OVER" and "DONE" records: the files replaced, and those whose last write by the installation
// never completed.
BackupRestore::Overwritten overwrittenFiles(const std::vector<ActionLogReader::Record>& records) {
    using Step = ActionLogReader::FileStep;
    BackupRestore::Overwritten files;
    for (const auto& record : records) {
        if (record.step == Step::kOver) {
            files.all.insert(record.path);
            files.unfinished.insert(record.path);
        } else if (record.step == Step::kDone) {
            files.unfinished.erase(record.path);
        }
    }
    return files;
}
} // namespace

UninstallRun::UninstallRun(const Description& description, VariableStore& variables,
                           SystemChanges& system, RunReporter& ui, Log* stepLog)
    : description_(description), variables_(variables), system_(system), ui_(ui),
      stepLog_(stepLog) {}

bool UninstallRun::perform(const ActionLogReader::Contents& log, const Target& target) {
    bool rollback = target.rollbackBackup != nullptr;
    // A rollback's variables are those of the run itself.
    if (!rollback)
        setVariables(log.variables);
    // A run stopped before its header was written had changed nothing yet.
    if (!log.headerWhole && !(target.interrupted && log.records.empty())) {
        reportFormatted(ui_, "FAILED to read the action log: its paths or variables are damaged");
        fail();
    }
    ProgramActions(description_.document(), variables_, system_).run("PreUninstall");
    UndoFiles undoFiles = findUndoFiles(log);
    restoreFiles(rollback ? std::string(target.rollbackBackup) : log.backupPath, log,
                 target.interrupted);
    ui_.showStatus("Uninstalling");
    std::vector<std::string> installed;
    std::vector<Folder> folders = undoRecords(log.records, undoFiles, &installed);
    if (!log.closed && !target.interrupted) {
        reportFormatted(ui_, "%s", kIncomplete);
        logMessage(stepLog_, "The action log has no closing record (%d damaged lines)",
                   log.damagedLines);
        fail();
    }
    // Told before the undo files go: whoever waits for the uninstall command may start programs
    // right after it, and those must see the environment as it is now.
    if (environmentChanged_) {
        ui_.showStatus("Updating environment");
        system_.broadcastEnvironmentChange();
    }
    // The product's folders go before the registration and the uninstaller's own files, so that
    // an uninstall stopped at any point can be run again from its registration. A rollback's own
    // undo files are temporary ones that its caller removes; at the final paths stands only what
    // file sets put there, which the records name.
    std::vector<Folder> occupied = removeFolders(folders, pending_);
    if (!pending_) {
        bool atRestart = removeUndoFiles(target, rollback ? UndoFiles() : undoFiles, installed);
        occupied = removeFolders(occupied, !atRestart);
        if (atRestart)
            removeAtRestart(occupied);
    }
    if (pending_ && !rollback)
        reportFormatted(ui_, "%s", kPending);
    ui_.showProgress(100);
    ui_.showStatus(pending_ ? "There were errors during the uninstall."
                            : "The uninstall was successful.");
    logMessage(stepLog_, "Uninstall %s", pending_ ? "ended with errors" : "completed");
    return !pending_;
}

void UninstallRun::setVariables(const std::vector<ActionLogReader::Variable>& recorded) {
    for (const auto& variable : recorded) {
        if (variables_.set(variable.name.c_str(), variable.value.c_str()) !=
            VariableStore::SetResult::kSet)
            logMessage(stepLog_, "Variable %s not set from the action log", variable.name.c_str());
    }
}

// The log's own two paths name the description copy and the backup file; the action log and the
// uninstaller program are the description's, with the recorded variables.
UninstallRun::UndoFiles UninstallRun::findUndoFiles(const ActionLogReader::Contents& log) const {
    UndoFiles files;
    files.description = log.descriptionPath;
    files.backup = log.backupPath;
    files.actionLog = expanded(description_, &Description::getInstallLogFile);
    files.program = expanded(description_, &Description::getUninstallCmd);
    return files;
}

void UninstallRun::restoreFiles(const std::string& backupPath, const ActionLogReader::Contents& log,
                                bool interrupted) {
    // A complete log that replaced no file needs nothing from a backup file, not even one that
    // is gone; a log cut short may have lost the records of files the backup still holds. A
    // stopped run's log lists every file it had begun to replace.
    BackupRestore::Overwritten overwritten = overwrittenFiles(log.records);
    overwritten.interrupted = interrupted;
    if ((log.closed || interrupted) && overwritten.all.empty())
        return;
    if (backupPath.empty()) {
        reportFormatted(ui_, "FAILED to open the backup file: the action log names none");
        fail();
        return;
    }
    BackupRestore::Outcome restored =
        BackupRestore(ui_, stepLog_).restore(backupPath, std::move(overwritten));
    filesLeft_ = restored.left;
    if (restored.backupNeeded())
        fail();
}

std::vector<UninstallRun::Folder>
UninstallRun::undoRecords(const std::vector<ActionLogReader::Record>& records,
                          const UndoFiles& undoFiles, std::vector<std::string>* installed) {
    std::vector<Folder> folders;
    for (size_t i = 0; i < records.size(); ++i) {
        const ActionLogReader::Record& record = records[i];
        ui_.showProgress(static_cast<int>(i * 100 / records.size()));
        if (isSuperseded(records, i))
            continue;
        bool created = record.step == ActionLogReader::FileStep::kCreate;
        const std::string& path = record.path;
        // The uninstall's own files go last, once nothing else remains.
        if (created &&
            (samePath(path, undoFiles.program) || samePath(path, undoFiles.description) ||
             samePath(path, undoFiles.backup) || samePath(path, undoFiles.actionLog))) {
            installed->push_back(path);
            continue;
        }
        undoRecord(record, folders);
    }
    return folders;
}

void UninstallRun::undoRecord(const ActionLogReader::Record& record, std::vector<Folder>& folders) {
    const char* fields = record.fields.c_str();
    bool undone = true;
    switch (record.kind) {
    case ActionLogReader::Kind::kDir:
        undone = noteFolder(record, folders);
        break;
    case ActionLogReader::Kind::kFile:
        // Overwritten files came back in the restore.
        if (record.step == ActionLogReader::FileStep::kCreate)
            deleteFile(record.path);
        break;
    case ActionLogReader::Kind::kEnv:
        environmentChanged_ = true;
        undone = system_.undoEnvironmentChange(fields, &ui_);
        break;
    case ActionLogReader::Kind::kIni:
        undone = system_.undoIniChange(fields, &ui_);
        break;
    case ActionLogReader::Kind::kShortcut:
        undone = system_.undoShortcut(fields, &ui_);
        break;
    default:
        break;
    }
    if (!undone)
        fail();
}

// A file already gone is as the uninstall wants it. `patience`: how long a file still in use may
// take to be let go.
void UninstallRun::deleteFile(const std::string& path, std::chrono::milliseconds patience) {
    if (!isFullPath(path.c_str())) {
        logMessage(stepLog_, "File: %s (not a full path, refused)", path.c_str());
        reportFormatted(ui_, "FAILED to delete %s: not a full path", path.c_str());
        fail();
        return;
    }
    ui_.keepResponsive();
    auto deadline = std::chrono::steady_clock::now() + patience;
    bool deleted = false;
    for (;;) {
        deleted = platform::removeFile(path.c_str()) ||
                  platform::pathKind(path.c_str()) == platform::PathKind::kNothing;
        if (deleted || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    logMessage(stepLog_, "File: %s (%s)", path.c_str(), deleted ? "ok" : "failed");
    reportFormatted(ui_, "%s%s", deleted ? "Delete " : "FAILED to delete ", path.c_str());
    if (!deleted)
        fail();
}

// A DIR record the reader could parse, naming a full path: its levels are removed at the end.
bool UninstallRun::noteFolder(const ActionLogReader::Record& record, std::vector<Folder>& folders) {
    if (record.levels < 1 || !isFullPath(record.path.c_str())) {
        logMessage(stepLog_, "Dir: %s (damaged record, refused)", record.fields.c_str());
        return false;
    }
    folders.push_back({record.path, record.levels});
    return true;
}

// The registration goes first: a registration whose program is gone could never be removed
// through the list of installed programs. The uninstaller program goes last.
bool UninstallRun::removeUndoFiles(const Target& target, const UndoFiles& undoFiles,
                                   const std::vector<std::string>& installed) {
    const char* registrationName = target.registrationName;
    if (registrationName != nullptr && !system_.removeUninstallRegistration(registrationName)) {
        reportFormatted(ui_, "FAILED to remove the registration of %s", registrationName);
        fail();
        return false;
    }
    std::vector<std::string> programs;
    for (const std::string& path : installed) {
        if (samePath(path, undoFiles.program))
            programs.push_back(path);
        else
            deleteFile(path);
    }
    // Both were created by the installation itself, also where no file set placed them.
    for (const std::string* path : {&undoFiles.backup, &undoFiles.actionLog}) {
        bool listed = false;
        for (const std::string& done : installed)
            listed = listed || samePath(done, *path);
        if (!listed && isFullPath(path->c_str()) &&
            platform::pathKind(path->c_str()) == platform::PathKind::kFile)
            deleteFile(*path);
    }
    bool handedOver = !pending_ && target.tellOutcome;
    if (handedOver)
        target.tellOutcome();
    bool atRestart = false;
    for (const std::string& path : programs)
        atRestart = !removeProgram(path, handedOver) || atRestart;
    return atRestart;
}

// The program that started the uninstall's copy ends once the copy runs, or, handed the
// outcome, right after; one the system still holds then goes at the next start of Windows.
// False when it was left for then.
bool UninstallRun::removeProgram(const std::string& path, bool handedOver) {
    if (!handedOver) {
        deleteFile(path, kProgramPatience);
        return true;
    }
    bool wasPending = pending_;
    deleteFile(path, kProgramPatience);
    if (pending_ == wasPending)
        return true;
    // The outcome is told: what remains is only the program, which nothing can use any more.
    pending_ = wasPending;
    bool scheduled = system_.removeAtRestart(path.c_str());
    reportFormatted(ui_, "%s %s", path.c_str(),
                    scheduled ? "is still in use: it is removed when Windows next starts"
                              : "is still in use and could not be scheduled for removal either");
    return false;
}

void UninstallRun::removeAtRestart(const std::vector<Folder>& folders) {
    // Deepest first; at the start of Windows a level still holding anything simply stays.
    for (const Folder& folder : folders) {
        std::string path = folder.path;
        for (int level = 0; level < folder.levels; ++level) {
            while (!path.empty() && isPathSeparator(path.back()))
                path.pop_back();
            if (!isFullPath((path + "\\").c_str()) || path.size() <= 3)
                break;
            system_.removeAtRestart(path.c_str());
            path.erase(path.find_last_of("\\/") + 1);
        }
    }
}

// From the last record to the first, each from its deepest level up, never above the root. A
// folder already gone is done; one still holding what someone put there stays.
std::vector<UninstallRun::Folder> UninstallRun::removeFolders(const std::vector<Folder>& folders,
                                                              bool last) {
    std::vector<Folder> occupiedOnes;
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        std::string path = folder->path;
        bool occupiedOne = false;
        for (int level = 0; level < folder->levels; ++level) {
            while (!path.empty() && isPathSeparator(path.back()))
                path.pop_back();
            if (!isFullPath((path + "\\").c_str()) || path.size() <= 3)
                break;
            ui_.keepResponsive();
            bool removed = platform::removeDirectory(path.c_str());
            bool occupied = !removed && errno == ENOTEMPTY;
            // Recorded before it was made, a level may never have come to be.
            bool gone = !removed && !occupied &&
                        platform::pathKind(path.c_str()) == platform::PathKind::kNothing;
            occupiedOne = occupiedOne || occupied;
            logMessage(stepLog_, "Dir: %s (%s)", path.c_str(),
                       removed || gone ? "ok" : (occupied ? "not empty" : "failed"));
            if (removed)
                reportFormatted(ui_, "Remove %s", path.c_str());
            else if (occupied && last)
                reportFormatted(ui_, "Left %s", path.c_str());
            else if (!gone && !occupied)
                reportFormatted(ui_, "FAILED to remove %s", path.c_str());
            if (!removed && !gone && !occupied)
                fail();
            path.erase(path.find_last_of("\\/") + 1);
        }
        if (occupiedOne)
            occupiedOnes.insert(occupiedOnes.begin(), *folder);
    }
    return occupiedOnes;
}
