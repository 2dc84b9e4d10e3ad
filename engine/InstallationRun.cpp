#include "engine/InstallationRun.h"

#include "config/Description.h"
#include "config/FileList.h"
#include "engine/FileCopy.h"
#include "engine/InstallationItems.h"
#include "engine/InterruptedRun.h"
#include "engine/KnownFolders.h"
#include "engine/RunReport.h"
#include "engine/UninstallRun.h"
#include "package/Paths.h"
#include "package/Payload.h"
#include "package/Platform.h"
#include "package/RunReporter.h"
#include "package/TextEncoding.h"
#include "system/FileMover.h"
#include "system/SystemChanges.h"
#include "system/UninstallRegistration.h"

#include <cctype>
#include <cstdio>

namespace {
constexpr const char* kPreviousVersionQuestion =
    "A previous version of %s is already installed. It must be uninstalled before the "
    "installation can continue.\n\nPress OK to uninstall the previous version or Cancel to abort "
    "the installation.";
constexpr const char* kPreviousVersionStays =
    "The previous version of %s is still installed; the installation stopped before changing "
    "anything.\nUninstall it from the list of installed programs, then run this installation "
    "again.";
constexpr const char* kUndoDataFound =
    "%s already holds the undo data of another installation: uninstall that installation first, "
    "or move the file away if it belongs to none.";
constexpr const char* kNothingChanged =
    "The installation stopped before changing anything: it could not be completed as described.";
// The status line after the question: what the machine holds now.
constexpr const char* kKeptWithErrors =
    "The installation ended with errors; its changes were kept.";
constexpr const char* kUndone = "The installation failed; its changes were undone.";
constexpr const char* kNotUndone =
    "The installation failed; some of its changes could not be undone.";
constexpr const char* kUndoQuestion =
    "An error occurred during the installation.\nDo you want to undo changes made to your "
    "system?\n";

std::string expanded(const Description& description,
                     bool (Description::*getter)(char*, int) const) {
    char path[fileaccess::kPathSize];
    return (description.*getter)(path, sizeof path) ? std::string(path) : std::string();
}

// Keeps the deepest folder that holds every folder noted so far (each with its separator).
void noteFolder(std::string& common, const std::string& folder) {
    if (common.empty()) {
        common = folder;
        return;
    }
    size_t same = 0;
    while (same < folder.size() && same < common.size() &&
           std::tolower(static_cast<unsigned char>(folder[same])) ==
               std::tolower(static_cast<unsigned char>(common[same])))
        ++same;
    if (same < common.size())
        common.erase(same == 0 ? 0 : common.find_last_of("\\/", same - 1) + 1);
}
} // namespace

InstallationRun::InstallationRun(const Description& description, const FileList& files,
                                 VariableStore& variables, const Payload& payload,
                                 SystemChanges& system, RunReporter& ui, Log* debugLog)
    : description_(description), files_(files), variables_(variables), payload_(payload),
      system_(system), ui_(ui), debugLog_(debugLog) {}

bool InstallationRun::perform() {
    std::string productName = expanded(description_, &Description::getProductName);
    // An earlier run that never completed is undone first: what it backed up would otherwise be
    // taken for the user's content by this one.
    if (InterruptedRun(description_, variables_, system_, ui_, debugLog_).recover(productName) ==
        InterruptedRun::Outcome::kFailed)
        return false;
    Previous previous = settlePreviousVersion(productName);
    cancelled_ = previous == Previous::kCancelled;
    if (previous == Previous::kCancelled || previous == Previous::kStillInstalled)
        return false;
    FinalPaths paths = finalPaths();
    if (!readyToChange(paths, previous) || !openUndoFiles(productName, paths))
        return false;
    bool headerWritten = writeLogHeader(paths);
    Written written = copyFiles();
    bool itemsApplied = applyItems();
    bool failed = !closeUndoFiles(headerWritten && !written.failed && itemsApplied);
    if (failed && ui_.confirm(kUndoQuestion, RunReporter::Question::kYesNo)) {
        rollBack(paths, productName, written);
        return false;
    }
    if (failed)
        ui_.showStatus(kKeptWithErrors);
    if (!moveIntoPlace(paths) || !registerUninstall(paths, productName, written))
        return false;
    forgetRun(productName);
    return true;
}

// The user has agreed to remove the previous version; one that is still registered afterwards
// stops the run: installing over it would leave its files and its undo data for ever.
InstallationRun::Previous InstallationRun::settlePreviousVersion(const std::string& productName) {
    if (!system_.isPreviousVersionInstalled(productName.c_str()))
        return Previous::kNone;
    // Only shown: a very long name may cut the question.
    char question[512] = {};
    boundedFormat(question, sizeof question, kPreviousVersionQuestion, productName.c_str());
    if (!ui_.confirm(question, RunReporter::Question::kOkCancel))
        return Previous::kCancelled;
    if (system_.uninstallPreviousVersion(productName.c_str()) &&
        !system_.isPreviousVersionInstalled(productName.c_str()))
        return Previous::kRemoved;
    char notice[512] = {};
    boundedFormat(notice, sizeof notice, kPreviousVersionStays, productName.c_str());
    ui_.confirm(notice, RunReporter::Question::kNotice);
    return Previous::kStillInstalled;
}

InstallationRun::FinalPaths InstallationRun::finalPaths() const {
    return {expanded(description_, &Description::getUninstallXmlFile),
            expanded(description_, &Description::getInstallBackupFile),
            expanded(description_, &Description::getInstallLogFile)};
}

// An earlier uninstall whose program was still in use left it for Windows to remove at its next
// start. Installed again in between, the new uninstaller would go then, and the new registration
// could never be removed: the leftover goes now, and off that list.
bool InstallationRun::uninstallerIsFree() {
    std::string program = expanded(description_, &Description::getUninstallCmd);
    if (program.empty() || system_.settleRemovalAtRestart(program.c_str()))
        return true;
    reportFormatted(ui_,
                    "FAILED to replace %s: an earlier uninstall left it to be removed when "
                    "Windows next starts, and it is still in use",
                    program.c_str());
    return false;
}

// A run that could not complete for a reason known now would only change the machine to undo it
// again: every such reason stops it before its first change, in every mode.
bool InstallationRun::readyToChange(const FinalPaths& paths, Previous previous) {
    bool ready = finalPathsExpand(paths) && undoDataIsFree(paths, previous);
    // Every problem with the files and the items is said, not only the first.
    ready = filesCanBeInstalled() && ready;
    ready = uninstallerIsFree() && ready;
    ready = InstallationItems(description_, variables_, system_, actionLog_, ui_).check() && ready;
    if (!ready)
        ui_.confirm(kNothingChanged, RunReporter::Question::kNotice);
    return ready;
}

// The paths name where the uninstall finds its files; each must expand whole, to a full path.
bool InstallationRun::finalPathsExpand(const FinalPaths& paths) {
    const struct {
        const std::string& path;
        const char* element;
    } named[] = {{paths.description, "UninstallXmlFile"},
                 {paths.backup, "InstallBackupFile"},
                 {paths.actionLog, "InstallLogFile"}};
    bool whole = true;
    for (const auto& path : named) {
        if (!isFullPath(path.path.c_str())) {
            reportFormatted(ui_, "FAILED to expand %s: the description names no full path there",
                            path.element);
            whole = false;
        }
    }
    return whole;
}

// Each selected file's destination forms whole and its packaged entry is there.
bool InstallationRun::filesCanBeInstalled() {
    bool ready = true;
    for (int i = 0; i < files_.fileCount(); ++i) {
        const FileInfo& info = files_.file(i);
        if (!FileCopy::isSelected(info, files_, variables_))
            continue;
        char directory[fileaccess::kPathSize];
        char path[fileaccess::kPathSize];
        if (!FileCopy::formDestination(info, variables_, directory, path)) {
            reportFormatted(ui_, "FAILED to create %s: its destination cannot be formed whole",
                            path);
            ready = false;
        } else if (payload_.find(info.alias) < 0) {
            reportFormatted(ui_, "FAILED to create %s: the installer package holds no entry %s",
                            path, info.alias);
            ready = false;
        }
    }
    return ready;
}

// An action log or backup file already at the final paths belongs to another installation (two
// products in one folder, or a previous version whose uninstall never ran): replacing it would
// lose that installation's undo for good. Only what the previous version's completed uninstall
// left behind may go.
bool InstallationRun::undoDataIsFree(const FinalPaths& paths, Previous previous) {
    if (previous == Previous::kRemoved)
        return true;
    for (const std::string* path : {&paths.actionLog, &paths.backup}) {
        if (path->empty() || platform::pathKind(path->c_str()) == platform::PathKind::kNothing)
            continue;
        reportFormatted(ui_, kUndoDataFound, path->c_str());
        return false;
    }
    return true;
}

// The action log and the backup file live under temporary names until the run is complete; the
// run record names them, so that a run stopped at any point can be found and undone.
bool InstallationRun::openUndoFiles(const std::string& productName, const FinalPaths& paths) {
    if (!system_.makeTempFileName(logPath_, sizeof logPath_))
        return false;
    // Without its action log a run could never be undone: it changes nothing.
    if (!actionLog_.open(logPath_)) {
        // Nothing was created: whatever stands at that name is not ours to remove.
        reportFormatted(ui_, "FAILED to create %s", logPath_);
        return false;
    }
    if (!system_.makeTempFileName(backupPath_, sizeof backupPath_)) {
        actionLog_.close();
        platform::removeFile(logPath_);
        return false;
    }
    // A backup file that cannot be created refuses every entry; existing files are then left
    // untouched.
    backup_.openForWrite(backupPath_);
    if (system_.writeRunRecord(productName.c_str(),
                               {logPath_, backupPath_, paths.actionLog, paths.backup}))
        return true;
    reportFormatted(ui_,
                    "FAILED to record the running installation of %s: it could not be "
                    "undone after an interruption, so it changes nothing",
                    productName.c_str());
    system_.removeRunRecord(productName.c_str());
    removeUndoFiles();
    return false;
}

void InstallationRun::removeUndoFiles() {
    actionLog_.close();
    backup_.close();
    platform::removeFile(logPath_);
    platform::removeFile(backupPath_);
}

void InstallationRun::forgetRun(const std::string& productName) {
    if (!system_.removeRunRecord(productName.c_str()))
        reportFormatted(ui_, "FAILED to remove the record of this installation of %s",
                        productName.c_str());
}

bool InstallationRun::writeLogHeader(const FinalPaths& paths) {
    return actionLog_.writeEncoding(TextEncoding::processCodePage()) &&
           actionLog_.writePath(paths.description.c_str()) &&
           actionLog_.writePath(paths.backup.c_str()) && actionLog_.writeVariables(variables_);
}

InstallationRun::Written InstallationRun::copyFiles() {
    KnownFolders folders;
    Written written;
    // A tool that cleans up the registered location after an uninstall must find there nothing
    // but the product: a shared file replaced elsewhere, or a folder that stood before, keeps
    // the common folder out.
    FileCopy copy(files_, variables_, payload_, ui_, actionLog_, backup_, folders);
    for (int i = 0; i < files_.fileCount(); ++i) {
        FileCopy::Outcome file = copy.perform(files_.file(i), i, files_.fileCount());
        if (file.failed)
            written.failed = true;
        if (file.written)
            written.bytes += file.length;
        if (file.created && folders.wasMade(file.folder))
            noteFolder(written.folder, file.folder);
        if (file.result == FileCopy::Result::kStop)
            break;
    }
    if (written.folder.size() <= 3 || !folders.wasMade(written.folder))
        written.folder.clear();
    return written;
}

// Every kind is applied, also after a failure of the one before.
bool InstallationRun::applyItems() {
    InstallationItems items(description_, variables_, system_, actionLog_, ui_);
    ui_.showStatus("Updating environment variables");
    bool applied = items.applyEnvironmentItems();
    ui_.showStatus("Updating .ini files");
    applied = items.applyIniItems() && applied;
    ui_.showStatus("Creating shortcuts");
    applied = items.applyShortcutItems() && applied;
    return applied;
}

// The closing record proves to the uninstall that the log lists every change of the run; the
// action log is closed before the backup file.
bool InstallationRun::closeUndoFiles(bool succeeded) {
    succeeded = actionLog_.writeEnd() && succeeded;
    ui_.showProgress(100);
    ui_.showStatus(succeeded ? "The installation was successful."
                             : "There were errors during the installation.");
    actionLog_.close();
    backup_.close();
    return succeeded;
}

// The uninstall reads the temporary action log from its first line, as it reads the installed
// one later; afterwards nothing of the run is left, not even its undo files.
void InstallationRun::rollBack(const FinalPaths& paths, const std::string& productName,
                               const Written& written) {
    std::FILE* log = std::fopen(logPath_, "rb");
    if (log == nullptr) {
        // Without the log nothing can be undone; the two files stay for whoever investigates.
        reportFormatted(ui_, "FAILED to open %s", logPath_);
        return;
    }
    ActionLogReader::Contents records = ActionLogReader::read(log);
    std::fclose(log);
    UninstallRun uninstall(description_, variables_, system_, ui_, debugLog_);
    UninstallRun::Target target;
    target.rollbackBackup = backupPath_;
    // A file changed while the question was open keeps its previous content in the backup
    // alone: the backup must stay for it too.
    bool undone = uninstall.perform(records, target) && uninstall.filesLeft() == 0;
    ui_.showStatus(undone ? kUndone : kNotUndone);
    if (undone) {
        removeUndoFiles();
        forgetRun(productName);
        return;
    }
    // The backup holds the only copy of what could not be put back: both files stay where a
    // later uninstall finds them, registered when its program is there to run (else the run
    // record still leads the next installer to them).
    if (moveIntoPlace(paths) && registerUninstall(paths, productName, written)) {
        forgetRun(productName);
        reportFormatted(ui_, "The changes could not be undone; the action log is kept at %s.",
                        paths.actionLog.c_str());
    }
}

// False when either file could not be moved; both are then reported where they are, and the
// uninstall is not registered (it would point at a log that is not there).
bool InstallationRun::moveIntoPlace(const FinalPaths& paths) {
    bool logPlaced = moveFile(logPath_, paths.actionLog);
    bool backupPlaced = moveFile(backupPath_, paths.backup);
    if (logPlaced && backupPlaced)
        return true;
    reportFormatted(ui_, "The action log and the backup file are kept at %s and %s.",
                    logPlaced ? paths.actionLog.c_str() : logPath_,
                    backupPlaced ? paths.backup.c_str() : backupPath_);
    return false;
}

// The move replaces the placeholder a file set put there, creates the folder when it is missing
// and works across volumes.
bool InstallationRun::moveFile(const char* from, const std::string& to) {
    std::string folder = to.substr(0, to.find_last_of("\\/") + 1);
    int created = 0;
    bool placed = isFullPath(to.c_str()) && !folder.empty() &&
                  makeDirectories(folder.c_str(), &created) && FileMover::move(from, to.c_str());
    if (!placed)
        reportFormatted(ui_, "FAILED to move %s to %s", from, to.c_str());
    return placed;
}

// A description without an UninstallCmd asks for no registration. One with it must be
// registered whole, and only for an uninstaller program that is there: a product missing from
// the list of installed programs cannot be removed, and an entry whose program is gone can
// never be removed either.
bool InstallationRun::registerUninstall(const FinalPaths& paths, const std::string& productName,
                                        Written written) {
    std::string program = expanded(description_, &Description::getUninstallCmd);
    if (program.empty()) {
        if (!description_.hasUninstallCmd())
            return true;
        reportFormatted(ui_, "FAILED to register the uninstaller: UninstallCmd does not expand");
        return false;
    }
    if (platform::pathKind(program.c_str()) != platform::PathKind::kFile) {
        reportFormatted(ui_, "FAILED to register the uninstaller: %s does not exist",
                        program.c_str());
        return false;
    }
    UninstallRegistration registration;
    registration.uninstallProgram = program;
    registration.productName = productName;
    registration.versionText = expanded(description_, &Description::getVersionString);
    registration.website = expanded(description_, &Description::getWebsite);
    std::string publisher = expanded(description_, &Description::getPublisher);
    if (!publisher.empty())
        registration.publisher = publisher;
    registration.actionLogPath = paths.actionLog;
    // "C:\Product" names the folder.
    if (!written.folder.empty())
        registration.installLocation = written.folder.substr(0, written.folder.size() - 1);
    registration.estimatedSizeKiB = static_cast<uint32_t>((written.bytes + 1023) / 1024);
    if (productName.empty()) {
        reportFormatted(ui_, "FAILED to register the uninstaller: the product has no name");
        return false;
    }
    ChangeResult registered = system_.registerUninstall(registration);
    if (!registered)
        reportFormatted(ui_, "FAILED to register the uninstaller of %s: %s", productName.c_str(),
                        registered.failure.c_str());
    return static_cast<bool>(registered);
}
