#include "engine/InstallationRun.h"

#include "engine/FileCopy.h"
#include "engine/RunReport.h"
#include "package/Paths.h"
#include "engine/InstallationItems.h"
#include "engine/UninstallRun.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "system/SystemChanges.h"
#include "system/FileMover.h"
#include "ui/InstallerUI.h"

#include <cstdio>

namespace {
constexpr const char* kPreviousVersionQuestion =
    "A previous version of %s is already installed. This version must be\nuninstalled before the "
    "installation can continue.\n\nPress Ok to uninstall the previous version or Cancel to abort "
    "the installation.";
constexpr const char* kPreviousVersionLeft =
    "The previous version was not uninstalled properly.\nPress Ok to continue this installation "
    "or Cancel to abort.";
constexpr const char* kUndoQuestion =
    "An error occurred during the installation.\nDo you want to undo changes made to your "
    "system?\n";
} // namespace

InstallationRun::InstallationRun(const Description& description, const FileList& files,
                                 VariableStore& variables, const Payload& payload,
                                 SystemChanges& system, InstallerUI& ui)
    : description_(description), files_(files), variables_(variables), payload_(payload),
      system_(system), ui_(ui) {}

int InstallationRun::perform() {
    if (!settlePreviousVersion()) {
        cancelled_ = true;
        return -1;
    }
    if (!openUndoFiles())
        return -1;
    writeLogHeader();
    copyFiles();
    applyItems();
    showFinalStatus();
    actionLog_.close();
    backup_.close();
    if (error_ != 0 && ui_.ask(kUndoQuestion, InstallerUI::kAskYesNo) == 1)
        return rollBack();
    moveIntoPlace();
    system_.registerUninstall(productName_);
    return 0;
}

// False when the user chose to abort.
bool InstallationRun::settlePreviousVersion() {
    description_.getProductName(productName_, sizeof productName_);
    if (system_.isPreviousVersionInstalled(productName_) == 0)
        return true;
    // Only shown: a very long name may cut the question.
    char question[512] = {};
    boundedFormat(question, sizeof question, kPreviousVersionQuestion, productName_);
    if (ui_.ask(question, InstallerUI::kAskOkCancel) != 1)
        return false;
    if (system_.uninstallPreviousVersion(productName_) == 1 &&
        system_.isPreviousVersionInstalled(productName_) == 0)
        return true;
    return ui_.ask(kPreviousVersionLeft, InstallerUI::kAskOkCancel) == 1;
}

// The action log and the backup file live under temporary names until the run is complete.
bool InstallationRun::openUndoFiles() {
    if (system_.makeTempFileName(logPath_, sizeof logPath_) != 0)
        return false;
    // Without its action log a run could never be undone: it changes nothing.
    if (actionLog_.open(logPath_) != 0) {
        reportFormatted(ui_, "FAILED to create %s", logPath_);
        std::remove(logPath_);
        return false;
    }
    if (system_.makeTempFileName(backupPath_, sizeof backupPath_) != 0) {
        actionLog_.close();
        return false;
    }
    // A backup file that cannot be created refuses every entry; existing files are then left
    // untouched.
    backup_.openForWrite(backupPath_);
    return true;
}

void InstallationRun::writeLogHeader() {
    char descriptionPath[512] = {};
    description_.getUninstallXmlFile(descriptionPath, sizeof descriptionPath);
    finalBackupNamed_ =
        description_.getInstallBackupFile(finalBackupPath_, sizeof finalBackupPath_) == 0;
    if (!actionLog_.writePath(descriptionPath) || !actionLog_.writePath(finalBackupPath_) ||
        !actionLog_.writeVariables(variables_))
        error_ = 1;
}

void InstallationRun::copyFiles() {
    for (int i = 0; i < files_.fileCount(); ++i) {
        FileCopy copy(files_, variables_, payload_, ui_, actionLog_, backup_, error_);
        if (copy.perform(files_.file(i), i, files_.fileCount()) == FileCopy::Result::kStop)
            break;
    }
}

void InstallationRun::applyItems() {
    InstallationItems items(description_.document(), variables_, system_, actionLog_, ui_);
    ui_.setStatusText("Updating environment variables");
    if (items.applyEnvironmentItems() != 0)
        error_ = 1;
    ui_.setStatusText("Updating .ini files");
    if (items.applyIniItems() != 0)
        error_ = 1;
    ui_.setStatusText("Creating shortcuts");
    if (items.applyShortcutItems() != 0)
        error_ = 1;
}

void InstallationRun::showFinalStatus() {
    ui_.setOverallProgress(100);
    ui_.setStatusText(error_ != 0 ? "There were errors during the installation."
                                  : "The installation was successful.");
}

// The uninstall reads the temporary action log from its first line, as it reads the installed
// one later; afterwards nothing of the run is left, not even its undo files.
int InstallationRun::rollBack() {
    std::FILE* log = std::fopen(logPath_, "rb");
    if (log == nullptr) {
        // Without the log nothing can be undone; the two files stay for whoever investigates.
        reportFormatted(ui_, "FAILED to open %s", logPath_);
        return -1;
    }
    UninstallRun uninstall(description_.document(), variables_, system_, ui_);
    uninstall.perform(log, backupPath_);
    std::fclose(log);
    std::remove(logPath_);
    std::remove(backupPath_);
    return -1;
}

void InstallationRun::moveIntoPlace() {
    char finalLogPath[512] = {};
    bool logNamed = description_.getInstallLogFile(finalLogPath, sizeof finalLogPath) == 0;
    moveFile(logPath_, finalLogPath, logNamed);
    moveFile(backupPath_, finalBackupPath_, finalBackupNamed_);
}

// The move replaces the placeholder a file set put there and works across volumes. A failure
// is reported: without its action log the product cannot be uninstalled.
void InstallationRun::moveFile(const char* from, const char* to, bool named) {
    if (named && isFullPath(to) && FileMover::move(from, to))
        return;
    reportFormatted(ui_, "FAILED to move %s to %s", from, to);
}
