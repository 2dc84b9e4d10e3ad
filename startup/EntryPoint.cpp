#include "startup/EntryPoint.h"

#include "package/BoundedText.h"
#include "package/PayloadFormat.h"
#include "package/PayloadMarker.h"
#include "package/WinFile.h"
#include "startup/AdminCheck.h"
#include "startup/Installer.h"
#include "startup/RelaunchCommand.h"
#include "startup/Transcript.h"
#include "system/FileSecurity.h"
#include "system/NamedEvent.h"
#include "system/UninstallHandoff.h"
#include "system/UninstallerPresence.h"
#include "system/WinHandle.h"
#include "system/WindowsSystem.h"
#include "ui/ConsoleUI.h"
#include "ui/WindowUI.h"

#include <cstdio>
#include <windows.h>

namespace {
const char kAnotherUninstall[] = "Another uninstall is still running; this one did not start. "
                                 "Run it again when the other has ended.";

// The path of the running executable; false when it does not fit the buffer.
bool modulePath(char* buffer, DWORD size) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    return length != 0 && length < size;
}
} // namespace

int EntryPoint::run() {
    ProcessState& state = state_;
    // The options only say how to tell: an unattended run must not wait on a message box that
    // nobody will ever close.
    readOptions();
    if (!AdminCheck::canWriteProgramFiles()) {
        const char text[] = "This program requires Administrative privileges.\nPlease right-click "
                            "the installer and select \"Run as Administrator...\"";
        if (state.gui != 0)
            MessageBoxA(nullptr, text, "Varnex Software installer", MB_ICONERROR);
        else
            std::printf("%s\n", text);
        std::fflush(stdout);
        return -1;
    }
    state.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    if (state.debug != 0)
        state.debugLog.open(kDebugLogPath);
    Log* log = &state.debugLog;
    logMessage(log, "Installation started");
    logMessage(log, "Getting module handle");
    state.moduleInstance = GetModuleHandleA(nullptr);
    logMessage(log, "Loading riched20.dll");
    LoadLibraryA("riched20.dll");

    if (transcript_.wanted() && !transcript_.writable()) {
        char text[768];
        boundedFormat(text, sizeof text, "The log file \"%s\" cannot be written.", logFile_);
        tell(text, MB_ICONERROR);
        return -1;
    }
    WindowsSystem system(state.gui == 0);
    Installer installer(system);
    installer.setTranscript(&transcript_);
    int exitCode = chooseRun(installer);
    transcript_.line("Exit code %d", exitCode);
    return exitCode;
}

void EntryPoint::readOptions() {
    ProcessState& state = state_;
    options_.parse(GetCommandLineA());
    state.gui = 1;
    state.debug = 0;
    state.quiet = 0;
    options_.getInt("debug", &state.debug);
    options_.getInt("quiet", &state.quiet);
    options_.getInt("gui", &state.gui);
    const char* configFile = nullptr;
    if (options_.getString("configFile", &configFile))
        configFileTooLong_ = !fileaccess::fitsPathLimit(configFile) ||
                             !copyText(state.configFile, sizeof state.configFile, configFile);
    if (configFileTooLong_)
        state.configFile[0] = '\0';
    options_.getString("bin", &bin_);
    options_.getString("uninstall", &uninstall_);
    options_.getString("uninstallApp", &uninstallApp_);
    options_.getString("uninstallFile", &uninstallFile_);
    options_.getString("log", &logFile_);
    transcript_ = Transcript(logFile_);
    options_.getInt("recover", &recover_);
}

int EntryPoint::chooseRun(Installer& installer) {
    if (uninstall_ != nullptr)
        return relaunchForUninstall();
    if (uninstallFile_ != nullptr)
        return realUninstall(installer);
    if (recover_ != 0)
        return recover(installer);
    return install(installer);
}

InstallerUI* EntryPoint::selectUI(Installer& installer) {
    ProcessState& state = state_;
    if (state.gui != 0) {
        WindowContext context;
        context.package = &installer.payload();
        context.product = &installer.description();
        context.moduleInstance = state.moduleInstance;
        context.captionHeight = state.captionHeight;
        windowUI_.setWizard(&installer.wizard());
        windowUI_.setContext(context);
        return &windowUI_;
    }
    consoleUI_.setWizard(&installer.wizard());
    consoleUI_.setQuiet(state.quiet != 0);
    return &consoleUI_;
}

int EntryPoint::relaunchForUninstall() {
    ProcessState& state = state_;
    logMessage(&state.debugLog, "Uninstalling");
    if (refuseUndoData(uninstall_))
        return -1;
    UninstallHandoff handoff;
    if (!handoff.claimCommand()) {
        tell(kAnotherUninstall, MB_ICONERROR);
        NamedEvent::signal(NamedEvent::kUninstallerEnd);
        return -1;
    }
    char executable[fileaccess::kPathSize];
    UninstallHandoff::removeEmptyFolders();
    std::string folder = UninstallHandoff::createFolder();
    RelaunchCommand command;
    command.executableCopy = folder + "\\" + UninstallHandoff::kProgramName;
    command.logCopy = folder + "\\" + UninstallHandoff::kLogName;
    command.uninstallApp = uninstallApp_;
    command.gui = state.gui;
    command.quiet = state.quiet;
    command.logFile = logFile_;
    bool started = !folder.empty() && modulePath(executable, sizeof executable) &&
                   CopyFileA(uninstall_, command.logCopy.c_str(), TRUE) &&
                   CopyFileA(executable, command.executableCopy.c_str(), TRUE) &&
                   handoff.start(command.text(), folder, command.executableCopy);
    if (!started) {
        logMessage(&state.debugLog, "The uninstaller copy could not be started (error %lu)",
                   GetLastError());
        tell("The uninstall could not start its copy in the temporary folder.", MB_ICONERROR);
        if (!folder.empty())
            UninstallHandoff::removeFolder(folder);
        NamedEvent::signal(NamedEvent::kUninstallerEnd);
        return -1;
    }
    // Whoever started this command waits for it: it ends with the uninstall's outcome.
    int outcome = handoff.awaitOutcome();
    if (handoff.copyEnded()) {
        UninstallHandoff::removeFolder(folder);
        // A copy that failed before its uninstall began never said its end.
        if (outcome != 0)
            NamedEvent::signal(NamedEvent::kUninstallerEnd);
    }
    return outcome == 0 ? 0 : -1;
}

bool EntryPoint::refuseUndoData(const char* path) {
    if (!FileSecurity::othersMayWrite(path))
        return false;
    tell(Installer::undoDataRefusal(path).c_str(), MB_ICONERROR);
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return true;
}

int EntryPoint::realUninstall(Installer& installer) {
    ProcessState& state = state_;
    logMessage(&state.debugLog, "Real uninstall");
    // Held from before the start event to after the end event: a waiting installer sees at once
    // when this process ends, also when it dies.
    // Two uninstalls at once would undo the same changes side by side: a second one waits until
    // the first has ended (and then finds done what it did).
    UninstallerPresence presence(kOtherUninstallMs);
    if (!presence.held()) {
        tell(kAnotherUninstall, MB_ICONERROR);
        NamedEvent::signal(NamedEvent::kUninstallerEnd);
        return -1;
    }
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    UninstallHandoff handoff;
    const char* handoffValue = nullptr;
    bool handedOff =
        options_.getString(UninstallHandoff::kOption, &handoffValue) && handoff.adopt(handoffValue);
    // The copy's own log is in its private folder; one named directly must be checked.
    if (!handedOff && refuseUndoData(uninstallFile_))
        return -1;
    installer.setRegistrationName(uninstallApp_);
    if (handedOff)
        installer.setOutcomeTeller([&handoff] { handoff.tellOutcome(0, kCommandEndMs); });
    int result = installer.openPayload(uninstallFile_, 0, 1);
    if (result == 0) {
        openUninstallResources(installer);
        InstallerUI* ui = selectUI(installer);
        result = installer.prepareWizard(ui, &state.debugLog, nullptr) && installer.runWizard(*ui)
                     ? 0
                     : -1;
    }
    if (installer.failure()[0] != '\0')
        tell(installer.failure(), MB_ICONERROR);
    installer.closePayload();
    // The uninstall run removes the registration itself, once nothing remains to be undone: an
    // uninstall that could not finish keeps it, so that it can be run again.
    Wizard& wizard = installer.wizard();
    if (state.debug == 0)
        DeleteFileA(uninstallFile_);
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    bool completed = result == 0 && wizard.hasRun() && !wizard.hasFailed() &&
                     !wizard.isCancelled() && wizard.isFinished();
    if (handedOff && state.debug == 0)
        handoff.leaveFolder();
    return completed ? 0 : -1;
}

// An uninstaller program packed with the uninstall wizard's pictures, texts and icon carries them
// as a payload of its own; a bare engine carries none, and its pages show no pictures.
void EntryPoint::openUninstallResources(Installer& installer) {
    char path[fileaccess::kPathSize];
    if (!PayloadMarker::isPatched() || !modulePath(path, sizeof path))
        return;
    int result = installer.openUninstallResources(path, PayloadMarker::offset());
    if (result != payload::kOk)
        logMessage(&state_.debugLog, "The uninstaller's own resources cannot be read (%i)", result);
}

int EntryPoint::install(Installer& installer) {
    ProcessState& state = state_;
    Log* log = &state.debugLog;
    int result = -1;
    if (configFileTooLong_) {
        logMessage(log, "The configFile option is too long");
        tell("The name given with -configFile is too long.", MB_ICONERROR);
    } else {
        result = openInstallPackage(installer);
        if (result == 0) {
            InstallerUI* ui = selectUI(installer);
            if (state.gui != 0)
                logMessage(log, "Running installation");
            result = installer.prepareWizard(ui, log, state.configFile) && installer.runWizard(*ui)
                         ? 0
                         : -1;
            // Every reason to stop is said, in quiet mode too: an unattended deployment that
            // fails must leave more than an exit code behind.
            if (installer.failure()[0] != '\0')
                tell(installer.failure(), MB_ICONERROR);
        }
    }
    logMessage(log, "Installation finished (res=%i)", result);
    installer.closePayload();
    // A deployment must be able to tell a completed installation from a failed, cancelled or
    // rolled-back one: only a wizard that reached its end without a failed run exits with 0.
    Wizard& wizard = installer.wizard();
    bool completed =
        result == 0 && wizard.isFinished() && !wizard.isCancelled() && !wizard.hasFailed();
    return completed ? 0 : -1;
}

// Runs in the console whatever -gui says: there is no wizard, only the undo's report lines.
int EntryPoint::recover(Installer& installer) {
    state_.gui = 0;
    int result = openInstallPackage(installer);
    if (result == 0) {
        consoleUI_.setQuiet(true);
        result = installer.recoverInterruptedRun(consoleUI_, &state_.debugLog);
        consoleUI_.finish();
        if (installer.failure()[0] != '\0')
            tell(installer.failure(), MB_ICONERROR);
    }
    installer.closePayload();
    return result == 0 ? 0 : -1;
}

int EntryPoint::openInstallPackage(Installer& installer) {
    Log* log = &state_.debugLog;
    if (bin_ != nullptr) {
        int result = installer.openPayload(bin_, 0, 0);
        if (result != 0)
            reportPackageFailure(bin_, result);
        return result;
    }
    uint32_t offset = PayloadMarker::offset();
    char path[fileaccess::kPathSize];
    if (!modulePath(path, sizeof path)) {
        logMessage(log, "Failed to obtain module file name");
        tell("The installer cannot find its own file.", MB_ICONERROR);
        return -1;
    }
    logMessage(log, "Initializing with file=\"%s\", offset=%i", path, static_cast<int>(offset));
    int result = installer.openPayload(path, offset, 0);
    if (result != 0)
        reportPackageFailure(path, PayloadMarker::isPatched() ? result : payload::kBadMagic1);
    return result;
}

void EntryPoint::reportPackageFailure(const char* path, int code) {
    char text[512];
    boundedFormat(text, sizeof text, "The file \"%s\" %s.", path,
                  payload::describeOpenFailure(code));
    tell(text, MB_ICONERROR);
}

void EntryPoint::tell(const char* text, unsigned int icon) {
    transcript_.line("%s", text);
    if (state_.gui != 0)
        MessageBoxA(nullptr, text, "Installation", icon);
    else
        std::printf("%s\n", text);
    std::fflush(stdout);
}
