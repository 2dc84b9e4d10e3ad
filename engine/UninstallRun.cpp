#include "engine/UninstallRun.h"

#include "config/Description.h"
#include "engine/ActionLog.h"
#include "engine/ProgramActions.h"
#include "engine/RunReport.h"
#include "package/Log.h"
#include "package/Paths.h"
#include "package/Platform.h"
#include "system/SystemChanges.h"
#include "ui/InstallerUI.h"

#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace {
// One file named twice: the record's path is canonical, the backup path as the description
// gave it.
bool samePath(std::string first, std::string second) {
    collapseSeparators(&first[0]);
    collapseSeparators(&second[0]);
    return strcasecmp(first.c_str(), second.c_str()) == 0;
}
} // namespace

UninstallRun::UninstallRun(const Description& description, VariableStore& variables,
                           SystemChanges& system, InstallerUI& ui, Log* stepLog)
    : description_(description), variables_(variables), system_(system), ui_(ui),
      stepLog_(stepLog) {}

int UninstallRun::perform(std::FILE* actionLog, const char* backupPath) {
    if (!readBackupPath(actionLog, backupPath))
        fail();
    // In a rollback the stream stands on the first line, which is no variable line: nothing is
    // set, and the variables of the run are still in place.
    ActionLog::readVariables(actionLog, variables_);
    ProgramActions(description_.document(), variables_, system_).run("PreUninstall");
    restoreFiles();
    ui_.setStatusText("Uninstalling");
    walkRecords(actionLog);
    removeFolders();
    if (environmentChanged_) {
        ui_.setStatusText("Updating environment");
        system_.broadcastEnvironmentChange();
    }
    ui_.setStatusText(error_ ? "There were errors during the uninstall."
                             : "The uninstall was successful.");
    logMessage(stepLog_, "Uninstall %s", error_ ? "ended with errors" : "completed");
    return error_ ? -1 : 0;
}

bool UninstallRun::readBackupPath(std::FILE* actionLog, const char* given) {
    if (given != nullptr) {
        backupPath_ = given;
        return true;
    }
    bool complete = false;
    return ActionLog::readRecordLine(actionLog, backupPath_, &complete) && complete;
}

void UninstallRun::restoreFiles() {
    BackupFile backup;
    if (backupPath_.empty() || backup.openForRead(backupPath_.c_str()) != 0) {
        // Without it no overwritten file can come back.
        reportFormatted(ui_, "FAILED to open %s", backupPath_.c_str());
        restored_.complete = false;
        fail();
        return;
    }
    restored_ = backup.restoreFiles(&ui_, stepLog_);
    backup.close();
    if (!restored_.complete || restored_.failed > 0)
        fail();
}

void UninstallRun::walkRecords(std::FILE* actionLog) {
    std::string line;
    std::string fields;
    bool complete = false;
    while (ActionLog::readRecordLine(actionLog, line, &complete)) {
        ActionLog::Kind kind = ActionLog::recordKind(line, &fields);
        if (!complete && kind != ActionLog::Kind::kNone) {
            logMessage(stepLog_, "Incomplete record ignored");
            fail();
            continue;
        }
        undoRecord(static_cast<int>(kind), fields);
    }
}

void UninstallRun::undoRecord(int kind, const std::string& fields) {
    switch (static_cast<ActionLog::Kind>(kind)) {
    case ActionLog::Kind::kDir:
        noteFolder(fields);
        break;
    case ActionLog::Kind::kFile:
        deleteFile(fields);
        break;
    case ActionLog::Kind::kEnv:
        environmentChanged_ = true;
        if (system_.undoEnvironmentChange(fields.c_str(), &ui_) == 0)
            fail();
        break;
    case ActionLog::Kind::kIni:
        if (system_.undoIniChange(fields.c_str(), &ui_) == 0)
            fail();
        break;
    case ActionLog::Kind::kShortcut:
        if (system_.undoShortcut(fields.c_str(), &ui_) == 0)
            fail();
        break;
    default:
        break;
    }
}

// "CREATE" or "OVER", a TAB, the path. Overwritten files came back in the restore.
void UninstallRun::deleteFile(const std::string& fields) {
    static const char kCreate[] = "CREATE\t";
    if (fields.compare(0, sizeof kCreate - 1, kCreate) != 0)
        return;
    std::string path = fields.substr(sizeof kCreate - 1);
    if (!isFullPath(path.c_str())) {
        logMessage(stepLog_, "File: %s (not a full path, refused)", path.c_str());
        fail();
        return;
    }
    // The backup file holds what could not be put back: it stays for another attempt.
    if (samePath(path, backupPath_) && backupStillNeeded()) {
        reportFormatted(ui_, "Left %s", path.c_str());
        return;
    }
    ui_.processEvents(0, 0, 0, 0);
    bool deleted = std::remove(path.c_str()) == 0;
    logMessage(stepLog_, "File: %s (%s)", path.c_str(), deleted ? "ok" : "failed");
    reportFormatted(ui_, "%s%s", deleted ? "Delete " : "FAILED to delete ", path.c_str());
    if (!deleted)
        fail();
}

// A count of levels, a TAB, the folder with its trailing separator.
void UninstallRun::noteFolder(const std::string& fields) {
    char* end = nullptr;
    long levels = std::strtol(fields.c_str(), &end, 10);
    if (end == fields.c_str() || *end != '\t' || levels < 1 || levels > 1000)
        return;
    std::string path(end + 1);
    if (!isFullPath(path.c_str())) {
        logMessage(stepLog_, "Dir: %s (not a full path, refused)", path.c_str());
        fail();
        return;
    }
    folders_.push_back({path, static_cast<int>(levels)});
}

// From the last record to the first, each from its deepest level up, never above the root.
void UninstallRun::removeFolders() {
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
        std::string path = folder->path;
        for (int level = 0; level < folder->levels; ++level) {
            while (!path.empty() && isPathSeparator(path.back()))
                path.pop_back();
            if (!isFullPath((path + "\\").c_str()) || path.size() <= 3)
                break;
            ui_.processEvents(0, 0, 0, 0);
            bool removed = platform::removeDirectory(path.c_str()) == 0;
            logMessage(stepLog_, "Dir: %s (%s)", path.c_str(), removed ? "ok" : "failed");
            reportFormatted(ui_, "%s%s", removed ? "Remove " : "FAILED to remove ", path.c_str());
            if (!removed)
                fail();
            path.erase(path.find_last_of("\\/") + 1);
        }
    }
}
