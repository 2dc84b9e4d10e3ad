#include "engine/InstallationRun.h"

#include "config/Description.h"
#include "config/FileList.h"
#include "engine/FileCopy.h"
#include "engine/InstallationItems.h"
#include "engine/KnownFolders.h"
#include "engine/RunReport.h"
#include "engine/UninstallRun.h"
#include "package/Paths.h"
#include "system/FileMover.h"
#include "system/SystemChanges.h"
#include "system/UninstallRegistration.h"
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
                                 SystemChanges& system, InstallerUI& ui, Log* debugLog)
    : description_(description), files_(files), variables_(variables), payload_(payload),
      system_(system), ui_(ui), debugLog_(debugLog) {}

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
    if (!moveIntoPlace() || !registerUninstall())
        return -1;
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
        // Nothing was created: whatever stands at that name is not ours to remove.
        reportFormatted(ui_, "FAILED to create %s", logPath_);
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

// The three paths name where the uninstall finds its files; one that does not expand whole is
// an error of the run, reported under its element's name.
void InstallationRun::writeLogHeader() {
    char descriptionPath[512] = {};
    bool described = description_.getUninstallXmlFile(descriptionPath, sizeof descriptionPath) == 0;
    finalBackupNamed_ =
        description_.getInstallBackupFile(finalBackupPath_, sizeof finalBackupPath_) == 0;
    finalLogNamed_ = description_.getInstallLogFile(finalLogPath_, sizeof finalLogPath_) == 0;
    const struct {
        bool expanded;
        const char* element;
    } paths[] = {{described, "UninstallXmlFile"},
                 {finalBackupNamed_, "InstallBackupFile"},
                 {finalLogNamed_, "InstallLogFile"}};
    for (const auto& path : paths) {
        if (!path.expanded) {
            reportFormatted(ui_, "FAILED to expand %s", path.element);
            error_ = 1;
        }
    }
    if (!actionLog_.writePath(descriptionPath) || !actionLog_.writePath(finalBackupPath_) ||
        !actionLog_.writeVariables(variables_))
        error_ = 1;
}

void InstallationRun::copyFiles() {
    KnownFolders folders;
    for (int i = 0; i < files_.fileCount(); ++i) {
        FileCopy copy(files_, variables_, payload_, ui_, actionLog_, backup_, folders, error_);
        FileCopy::Result result = copy.perform(files_.file(i), i, files_.fileCount());
        if (copy.wasWritten())
            noteWritten(copy.path(), copy.length());
        if (result == FileCopy::Result::kStop)
            break;
    }
}

void InstallationRun::applyItems() {
    InstallationItems items(description_, variables_, system_, actionLog_, ui_);
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
    UninstallRun uninstall(description_, variables_, system_, ui_, debugLog_);
    // Nothing else touched the files since they were written: a file left unrestored is one
    // whose previous content exists only in the backup.
    bool undone = uninstall.perform(log, backupPath_) == 0 && uninstall.restoredEverything();
    std::fclose(log);
    if (undone) {
        std::remove(logPath_);
        std::remove(backupPath_);
        return -1;
    }
    // The backup holds the only copy of what the run overwrote: both files stay, where a later
    // uninstall finds them.
    bool placed = moveIntoPlace() && registerUninstall();
    reportFormatted(ui_, "The changes could not be undone; the action log is kept at %s.",
                    placed ? finalLogPath_ : logPath_);
    return -1;
}

// False when either file could not be moved; both are then reported where they are, and the
// uninstall is not registered (it would point at a log that is not there).
bool InstallationRun::moveIntoPlace() {
    bool logPlaced = moveFile(logPath_, finalLogPath_, finalLogNamed_);
    bool backupPlaced = moveFile(backupPath_, finalBackupPath_, finalBackupNamed_);
    if (logPlaced && backupPlaced)
        return true;
    reportFormatted(ui_, "The action log and the backup file are kept at %s and %s.",
                    logPlaced ? finalLogPath_ : logPath_,
                    backupPlaced ? finalBackupPath_ : backupPath_);
    return false;
}

// The move replaces the placeholder a file set put there, creates the folder when it is missing
// and works across volumes.
bool InstallationRun::moveFile(const char* from, const char* to, bool named) {
    char folder[512];
    int created = 0;
    const char* name = nullptr;
    for (const char* c = to; *c != '\0'; ++c)
        name = isPathSeparator(*c) ? c : name;
    bool placed = named && isFullPath(to) && name != nullptr &&
                  copyTextPiece(folder, sizeof folder, to, static_cast<int>(name - to + 1)) == 0 &&
                  makeDirectories(folder, &created) == 0 && FileMover::move(from, to);
    if (!placed)
        reportFormatted(ui_, "FAILED to move %s to %s", from, to);
    return placed;
}

void InstallationRun::noteWritten(const char* path, uint32_t length) {
    bytesWritten_ += length;
    noteFolder(path);
}

// Keeps the deepest folder that holds every path noted so far.
void InstallationRun::noteFolder(const std::string& path) {
    std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    if (installedFolder_.empty()) {
        installedFolder_ = folder;
        return;
    }
    size_t common = 0;
    while (common < folder.size() && common < installedFolder_.size() &&
           folder[common] == installedFolder_[common])
        ++common;
    if (common < installedFolder_.size())
        installedFolder_.erase(common == 0 ? 0
                                           : installedFolder_.find_last_of("\\/", common - 1) + 1);
}

// A description without an UninstallCmd asks for no registration. One with it must be
// registered whole: a product missing from the list of installed programs cannot be removed.
bool InstallationRun::registerUninstall() {
    UninstallRegistration registration;
    char text[512];
    if (description_.getUninstallCmd(text, sizeof text) != 0) {
        if (!description_.hasUninstallCmd())
            return true;
        reportFormatted(ui_, "FAILED to register the uninstaller: UninstallCmd does not expand");
        return false;
    }
    registration.uninstallProgram = text;
    registration.productName = productName_;
    if (description_.getVersionString(text, sizeof text) == 0)
        registration.versionText = text;
    if (description_.getWebsite(text, sizeof text) == 0)
        registration.website = text;
    registration.actionLogPath = finalLogPath_;
    noteFolder(registration.uninstallProgram);
    registration.installLocation = installedFolder_;
    // "C:\Product" names the folder; only a drive's root keeps its separator.
    if (registration.installLocation.size() > 3)
        registration.installLocation.pop_back();
    registration.estimatedSizeKiB = static_cast<uint32_t>((bytesWritten_ + 1023) / 1024);
    if (productName_[0] != '\0' && system_.registerUninstall(registration) == 1)
        return true;
    reportFormatted(ui_, "FAILED to register the uninstaller of %s", productName_);
    return false;
}
