#include "engine/InstallationRun.h"

#include "engine/FileCopy.h"
#include "engine/RunReport.h"
#include "package/Paths.h"
#include "startup/Installer.h"
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

int Installer::runInstallation(InstallerUI* ui) {
    if (ui == nullptr)
        return -1;
    InstallationRun run(*this, *ui);
    return run.perform();
}

InstallationRun::InstallationRun(Installer& installer, InstallerUI& ui)
    : installer_(installer), ui_(ui), actionLog_(installer.actionLog_) {}

int InstallationRun::perform() {
    if (!settlePreviousVersion()) {
        installer_.cancelled_ = 1;
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
    installer_.registerUninstall();
    return 0;
}

// False when the user chose to abort.
bool InstallationRun::settlePreviousVersion() {
    if (installer_.isPreviousVersionInstalled() == 0)
        return true;
    char name[512] = {};
    installer_.getProductName(name, sizeof name);
    // Only shown: a very long name may cut the question.
    char question[512] = {};
    boundedFormat(question, sizeof question, kPreviousVersionQuestion, name);
    if (ui_.ask(question, InstallerUI::kAskOkCancel) != 1)
        return false;
    if (installer_.uninstallPreviousVersion() == 1 && installer_.isPreviousVersionInstalled() == 0)
        return true;
    return ui_.ask(kPreviousVersionLeft, InstallerUI::kAskOkCancel) == 1;
}

// The action log and the backup file live under temporary names until the run is complete.
bool InstallationRun::openUndoFiles() {
    if (installer_.makeTempFileName(logPath_, sizeof logPath_) != 0)
        return false;
    // Without its action log a run could never be undone: it changes nothing.
    if (actionLog_.open(logPath_) != 0) {
        reportFormatted(ui_, "FAILED to create %s", logPath_);
        std::remove(logPath_);
        return false;
    }
    if (installer_.makeTempFileName(backupPath_, sizeof backupPath_) != 0) {
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
    installer_.getUninstallXmlFile(descriptionPath, sizeof descriptionPath);
    finalBackupNamed_ =
        installer_.getInstallBackupFile(finalBackupPath_, sizeof finalBackupPath_) == 0;
    if (!actionLog_.writePath(descriptionPath) || !actionLog_.writePath(finalBackupPath_) ||
        installer_.writeVariables(actionLog_) != 0)
        error_ = 1;
}

void InstallationRun::copyFiles() {
    // The count is read on every pass: the list belongs to the installer object.
    for (int i = 0; i < installer_.fileCount(); ++i) {
        FileCopy copy(installer_, ui_, actionLog_, backup_, error_);
        if (copy.perform(installer_.file(i), i, installer_.fileCount()) == FileCopy::Result::kStop)
            break;
    }
}

void InstallationRun::applyItems() {
    ui_.setStatusText("Updating environment variables");
    if (installer_.applyEnvironmentItems(actionLog_, &ui_) != 0)
        error_ = 1;
    ui_.setStatusText("Updating .ini files");
    if (installer_.applyIniItems(actionLog_, &ui_) != 0)
        error_ = 1;
    ui_.setStatusText("Creating shortcuts");
    if (installer_.applyShortcutItems(actionLog_, &ui_) != 0)
        error_ = 1;
}

void InstallationRun::showFinalStatus() {
    ui_.setOverallProgress(100);
    ui_.setStatusText(error_ != 0 ? "There were errors during the installation."
                                  : "The installation was successful.");
}

// The uninstall reads the action log through the installer's action-log stream, as it does
// for a later uninstall; afterwards nothing of the run is left, not even its undo files.
int InstallationRun::rollBack() {
    installer_.actionLogFile_ = std::fopen(logPath_, "rb");
    if (installer_.actionLogFile_ == nullptr) {
        // Without the log nothing can be undone; the two files stay for whoever investigates.
        reportFormatted(ui_, "FAILED to open %s", logPath_);
        return -1;
    }
    installer_.runUninstall(&ui_, backupPath_);
    std::fclose(installer_.actionLogFile_);
    installer_.actionLogFile_ = nullptr;
    std::remove(logPath_);
    std::remove(backupPath_);
    return -1;
}

void InstallationRun::moveIntoPlace() {
    char finalLogPath[512] = {};
    bool logNamed = installer_.getInstallLogFile(finalLogPath, sizeof finalLogPath) == 0;
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
