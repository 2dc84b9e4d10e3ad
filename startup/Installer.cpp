#include "startup/Installer.h"

#include "config/DefaultValues.h"
#include "engine/ActionLogReader.h"
#include "engine/FileCopy.h"
#include "engine/InstallationRun.h"
#include "engine/InterruptedRun.h"
#include "engine/ProgramActions.h"
#include "engine/UninstallRun.h"
#include "package/Log.h"
#include "package/PayloadFormat.h"
#include "package/Platform.h"
#include "package/WinFile.h"
#include "startup/TranscriptUI.h"
#include "system/FileSecurity.h"
#include "system/SystemChanges.h"
#include "ui/InstallerUI.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The description file read whole, NUL-terminated; null on any failure.
std::unique_ptr<char[]> readWholeFile(const char* path, size_t* length) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    std::unique_ptr<char[]> text;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size >= 0 && size < 0x7fffffffL && std::fseek(file, 0, SEEK_SET) == 0)
        text.reset(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
    if (text &&
        std::fread(text.get(), 1, static_cast<size_t>(size), file) == static_cast<size_t>(size)) {
        text[static_cast<size_t>(size)] = '\0';
        *length = static_cast<size_t>(size);
    } else {
        text.reset();
    }
    std::fclose(file);
    return text;
}
} // namespace

Installer::Installer(SystemChanges& system)
    : system_(system), wizard_(pages_, description_.document(), variables_, *this, system) {}

Installer::~Installer() {
    closePayload();
}

int Installer::openPayload(const char* path, uint32_t offset, int uninstall) {
    closePayload();
    if (uninstall) {
        // Held against writers while the uninstall runs: another relaunch must not replace the
        // log under it.
        actionLogFile_ = platform::openReadDenyingWriters(path);
        return actionLogFile_ != nullptr ? payload::kOk : payload::kActionLogMissing;
    }
    return payload_.open(path, offset);
}

void Installer::closePayload() {
    payload_.close();
    if (actionLogFile_ != nullptr) {
        std::fclose(actionLogFile_);
        actionLogFile_ = nullptr;
    }
}

// Records the reason for the user (a debug-log line as well); false.
bool Installer::fail(Log* log, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    boundedFormatV(failure_, sizeof failure_, format, arguments);
    va_end(arguments);
    logMessage(log, "%s", failure_);
    return false;
}

bool Installer::prepareWizard(InstallerUI* ui, Log* log, const char* configFile) {
    if (ui == nullptr) {
        logMessage(log, "No installer UI handler specified");
        return false;
    }
    debugLog_ = log;
    payload_.setDebugLog(log);
    return readDescription(log) && readWizard(log) && setDefaults(ui, log, configFile);
}

bool Installer::readWizard(Log* log) {
    logMessage(log, "Getting product description");
    if (!description_.hasProductDescription())
        return fail(log, "The description has no ProductDesc element.");
    logMessage(log, "Getting file sets");
    const XmlDocument& document = description_.document();
    if (!files_.read(document, payload_, log))
        return fail(log, "The description cannot be installed: %s.", files_.problem());
    logMessage(log, "Getting UI dialogs");
    if (!pages_.readDialogs(document, isUninstalling(), log)) {
        if (pages_.problem()[0] != '\0')
            return fail(log, "The description cannot be installed: %s.", pages_.problem());
        return fail(log, "The description has no %s element.",
                    isUninstalling() ? "UninstallDialogs" : "Dialogs");
    }
    logMessage(log, "Getting fields");
    if (!pages_.readFields(document, isUninstalling(), log))
        return fail(log, "The description cannot be installed: %s.", pages_.problem());
    return true;
}

bool Installer::setDefaults(InstallerUI* ui, Log* log, const char* configFile) {
    logMessage(log, "Initializing default values");
    const XmlDocument& document = description_.document();
    if (document.findNextByName("DefValues", -1) < 0)
        return fail(log, "The description has no DefValues element.");
    DefaultValues defaults(variables_, log);
    // The uninstall takes the recorded values from the action log instead of a configuration.
    return defaults.initialize(document, isUninstalling() ? nullptr : configFile, ui);
}

bool Installer::runWizard(InstallerUI& ui) {
    logMessage(debugLog_, "Starting installation UI");
    wizard_.start();
    bool ran = ui.run();
    logMessage(debugLog_, "Ending installation UI");
    ui.finish();
    if (!ran)
        logMessage(debugLog_, "There were errors during the installation");
    return ran;
}

std::string Installer::undoDataRefusal(const char* path) {
    return std::string("The uninstall is refused: \"") + path +
           "\" can be changed by accounts other than the administrators, so it cannot be "
           "trusted to say what to remove.";
}

bool Installer::readDescription(Log* log) {
    return isUninstalling() ? readDescriptionFromActionLog(log) : readDescriptionFromPayload(log);
}

bool Installer::readDescriptionFromPayload(Log* log) {
    logMessage(log, "Decompressing installation file");
    uint32_t length = 0;
    std::unique_ptr<unsigned char[]> text = payload_.unpack("install.xml", &length);
    if (!text) {
        logMessage(log, "Error decompressing installation file");
        logMessage(log, "Cannot continue due to error(s)");
        return fail(log, "The installer package is damaged: %s.",
                    payload_.find("install.xml") < 0 ? "it holds no install.xml entry"
                                                     : "its install.xml entry cannot be unpacked");
    }
    logMessage(log, "Parsing installation file");
    if (!description_.load(reinterpret_cast<const char*>(text.get()), length))
        return fail(log, "The description install.xml cannot be read: %s.",
                    description_.problem().c_str());
    return true;
}

bool Installer::readDescriptionFromActionLog(Log* log) {
    logMessage(log, "Reading installation file name from action log");
    std::string path;
    if (!ActionLogReader::readDescriptionPath(actionLogFile_, path) ||
        !fileaccess::fitsPathLimit(path.c_str())) {
        logMessage(log, "Could not obtain installation file from action log");
        return fail(log, "The action log does not name the saved description.");
    }
    if (FileSecurity::othersMayWrite(path.c_str()))
        return fail(log, "%s", undoDataRefusal(path.c_str()).c_str());
    logMessage(log, "Reading installation file");
    size_t length = 0;
    std::unique_ptr<char[]> text = readWholeFile(path.c_str(), &length);
    if (!text) {
        logMessage(log, "Error reading installation file");
        logMessage(log, "Cannot continue due to error(s)");
        return fail(log, "The saved description \"%s\" cannot be read.", path.c_str());
    }
    logMessage(log, "Parsing installation file");
    if (!description_.load(text.get(), length))
        return fail(log, "The saved description \"%s\" cannot be read: %s.", path.c_str(),
                    description_.problem().c_str());
    return true;
}

int Installer::recoverInterruptedRun(InstallerUI& shown, Log* log) {
    TranscriptUI ui(shown, transcript_);
    if (!readDescriptionFromPayload(log))
        return -1;
    char productName[512];
    description_.getProductName(productName, sizeof productName);
    InterruptedRun::Outcome outcome =
        InterruptedRun(description_, variables_, system_, ui, log).recover(productName);
    if (outcome == InterruptedRun::Outcome::kNone)
        ui.reportLine("No interrupted installation was found.");
    return outcome == InterruptedRun::Outcome::kFailed ? -1 : 0;
}

bool Installer::runCopyProgress(InstallerUI& shown, bool* cancelled) {
    TranscriptUI ui(shown, transcript_);
    if (isUninstalling()) {
        // An interrupted run recorded beside this registration is undone before it.
        if (registrationName_ != nullptr &&
            InterruptedRun(description_, variables_, system_, ui, debugLog_)
                    .recover(registrationName_) == InterruptedRun::Outcome::kFailed)
            return false;
        ActionLogReader::Contents log = ActionLogReader::read(actionLogFile_);
        // The backup file says what is written back over the machine's files.
        if (FileSecurity::othersMayWrite(log.backupPath.c_str())) {
            ui.reportLine(undoDataRefusal(log.backupPath.c_str()).c_str());
            return false;
        }
        UninstallRun uninstall(description_, variables_, system_, ui, debugLog_);
        UninstallRun::Target target;
        target.registrationName = registrationName_;
        target.tellOutcome = tellOutcome_;
        return uninstall.perform(log, target);
    }
    InstallationRun run(description_, files_, variables_, payload_, system_, ui, debugLog_);
    bool completed = run.perform();
    *cancelled = run.wasCancelled();
    return completed;
}

void Installer::showHelpDocument() {
    char address[512];
    // Without an address there is nothing to show.
    if (description_.getHelpUrl(address, sizeof address))
        system_.showHelpDocument(address);
}

bool Installer::hasHelpDocument() const {
    char address[512];
    return description_.getHelpUrl(address, sizeof address) && address[0] != '\0';
}

// The folder is tried in the variable, and the variable's value put back: every file whose
// destination names the variable must form a whole path below it.
bool Installer::keepsDestinationWhole(const char* variable, const char* folder) {
    char previous[VariableStore::kValueSize];
    bool existed = variables_.get(variable, previous, sizeof previous) >= 0;
    if (variables_.set(variable, folder) != VariableStore::SetResult::kSet)
        return false;
    std::string reference = std::string("[") + variable + "]";
    bool whole = true;
    for (int i = 0; i < files_.fileCount() && whole; ++i) {
        const FileInfo& file = files_.file(i);
        char directory[fileaccess::kPathSize];
        char path[fileaccess::kPathSize];
        if (file.destination != nullptr && std::strstr(file.destination, reference.c_str()) &&
            !FileCopy::formDestination(file, variables_, directory, path))
            whole = false;
    }
    if (existed)
        variables_.set(variable, previous);
    return whole;
}

void Installer::runPostInstall(InstallerUI&) {
    ProgramActions actions(description_.document(), variables_, system_);
    actions.run("PostInstall");
}
