#include "startup/EntryPoint.h"

#include "package/BoundedText.h"
#include "package/PayloadFormat.h"
#include "package/PayloadMarker.h"
#include "startup/AdminCheck.h"
#include "startup/Installer.h"
#include "startup/ProcessState.h"
#include "startup/RelaunchCommand.h"
#include "system/NamedEvent.h"
#include "system/UninstallerPresence.h"
#include "system/WinHandle.h"
#include "system/WindowsSystem.h"
#include "ui/ConsoleUI.h"
#include "ui/WindowUI.h"

#include <cstdio>
#include <windows.h>

namespace {
ConsoleUI consoleUI;
WindowUI windowUI;

void readFrameMetrics(ProcessState& state) {
    const int metrics[5] = {SM_CYCAPTION, SM_CXBORDER, SM_CYBORDER, SM_CXFRAME, SM_CYFRAME};
    for (int i = 0; i < 5; ++i)
        state.frameMetrics[i] = GetSystemMetrics(metrics[i]);
}

// The path of the running executable; false when it does not fit the buffer.
bool modulePath(char* buffer, DWORD size) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, size);
    return length != 0 && length < size;
}
} // namespace

int EntryPoint::run() {
    if (!AdminCheck::canWriteProgramFiles()) {
        MessageBoxA(nullptr,
                    "This program requires Administrative privileges.\nPlease right-click the "
                    "installer and select \"Run as Administrator...\"",
                    "Varnex Software installer", MB_ICONERROR);
        return -1;
    }
    ProcessState& state = processState();
    readFrameMetrics(state);
    readOptions();
    if (state.debug != 0)
        state.debugLog.open(kDebugLogPath, 0);
    Log* log = &state.debugLog;
    logMessage(log, "Installation started");
    logMessage(log, "Getting module handle");
    state.moduleInstance = GetModuleHandleA(nullptr);
    logMessage(log, "Loading riched20.dll");
    LoadLibraryA("riched20.dll");

    WindowsSystem system(state.gui == 0);
    Installer installer(system);
    if (!AdminCheck::canWriteProgramFiles()) {
        if (state.gui != 0)
            MessageBoxA(nullptr, "This program requires administrative privileges",
                        "Varnex Group installer", MB_ICONWARNING);
        else
            std::fputs("This program requires administrative privileges.\n", stdout);
        return -1;
    }
    return chooseRun(installer);
}

void EntryPoint::readOptions() {
    ProcessState& state = processState();
    options_.parse(GetCommandLineA());
    state.gui = 1;
    state.debug = 0;
    state.quiet = 0;
    options_.getInt("debug", &state.debug);
    options_.getInt("quiet", &state.quiet);
    options_.getInt("gui", &state.gui);
    const char* configFile = nullptr;
    if (options_.getString("configFile", &configFile))
        configFileTooLong_ = copyText(state.configFile, sizeof state.configFile, configFile) != 0;
    if (configFileTooLong_)
        state.configFile[0] = '\0';
    options_.getString("bin", &bin_);
    options_.getString("uninstall", &uninstall_);
    options_.getString("uninstallApp", &uninstallApp_);
    options_.getString("uninstallFile", &uninstallFile_);
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
    ProcessState& state = processState();
    if (state.gui != 0) {
        WindowContext context;
        context.package = &installer.payload();
        context.product = &installer.description();
        context.moduleInstance = state.moduleInstance;
        context.captionHeight = state.frameMetrics[0];
        windowUI.setWizard(&installer.wizard());
        windowUI.setContext(context);
        return &windowUI;
    }
    consoleUI.setWizard(&installer.wizard());
    consoleUI.setQuiet(state.quiet);
    return &consoleUI;
}

int EntryPoint::relaunchForUninstall() {
    ProcessState& state = processState();
    logMessage(&state.debugLog, "Uninstalling");
    char executable[256];
    char temporary[256];
    char logCopy[256];
    char executableCopy[256];
    char command[kRelaunchCommandSize];
    DWORD tempLength = GetTempPathA(sizeof temporary, temporary);
    bool ready = modulePath(executable, sizeof executable) && tempLength != 0 &&
                 tempLength < sizeof temporary &&
                 boundedFormat(logCopy, sizeof logCopy, "%s\\lumouninst.log", temporary) >= 0 &&
                 boundedFormat(executableCopy, sizeof executableCopy, "%s\\lumouninst.dll",
                               temporary) >= 0 &&
                 CopyFileA(uninstall_, logCopy, FALSE) &&
                 CopyFileA(executable, executableCopy, FALSE) &&
                 buildRelaunchCommand(command, sizeof command, executableCopy, logCopy,
                                      uninstallApp_, state.gui, state.quiet) == 0;
    if (ready) {
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        ZeroMemory(&process, sizeof process);
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, temporary,
                           &startup, &process)) {
            WinHandle processHandle(process.hProcess);
            WinHandle threadHandle(process.hThread);
            // A waiting installer must find the copy running once this process has ended. A copy
            // that ended already said its end itself, unless it failed before its uninstall began.
            DWORD copyExit = STILL_ACTIVE;
            if (UninstallerPresence::waitForCopy(processHandle.get(),
                                                 UninstallerPresence::kCopyStartMs) ||
                !GetExitCodeProcess(processHandle.get(), &copyExit) || copyExit == STILL_ACTIVE ||
                copyExit == 0)
                return 0;
        }
    }
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return -1;
}

int EntryPoint::realUninstall(Installer& installer) {
    ProcessState& state = processState();
    logMessage(&state.debugLog, "Real uninstall");
    // Held from before the start event to after the end event: a waiting installer sees at once
    // when this process ends, also when it dies.
    UninstallerPresence presence;
    if (!presence.held())
        logMessage(&state.debugLog, "Another uninstall holds the uninstaller presence");
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    installer.setRegistrationName(uninstallApp_);
    int result = installer.openPayload(uninstallFile_, 0, 1);
    if (result == 0) {
        openUninstallResources(installer);
        result = installer.loadDescription(selectUI(installer), &state.debugLog, nullptr);
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
    bool completed = result == 0 && wizard.hasRun() && wizard.hasFailed() == 0 &&
                     wizard.isCancelled() == 0 && wizard.isFinished() == 1;
    return completed ? 0 : -1;
}

// An uninstaller program packed with the uninstall wizard's pictures, texts and icon carries them
// as a payload of its own; a bare engine carries none, and its pages show no pictures.
void EntryPoint::openUninstallResources(Installer& installer) {
    char path[256];
    if (!PayloadMarker::isPatched() || !modulePath(path, sizeof path))
        return;
    int result = installer.openUninstallResources(path, PayloadMarker::offset());
    if (result != payload::kOk)
        logMessage(&processState().debugLog, "The uninstaller's own resources cannot be read (%i)",
                   result);
}

int EntryPoint::install(Installer& installer) {
    ProcessState& state = processState();
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
            result = installer.loadDescription(ui, log, state.configFile);
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
        result == 0 && wizard.isFinished() && !wizard.isCancelled() && wizard.hasFailed() == 0;
    return completed ? 0 : -1;
}

// Runs in the console whatever -gui says: there is no wizard, only the undo's report lines.
int EntryPoint::recover(Installer& installer) {
    processState().gui = 0;
    int result = openInstallPackage(installer);
    if (result == 0) {
        consoleUI.setQuiet(1);
        result = installer.recoverInterruptedRun(consoleUI, &processState().debugLog);
        consoleUI.finish();
        if (installer.failure()[0] != '\0')
            tell(installer.failure(), MB_ICONERROR);
    }
    installer.closePayload();
    return result == 0 ? 0 : -1;
}

int EntryPoint::openInstallPackage(Installer& installer) {
    Log* log = &processState().debugLog;
    if (bin_ != nullptr) {
        int result = installer.openPayload(bin_, 0, 0);
        if (result != 0)
            reportPackageFailure(bin_, result);
        return result;
    }
    uint32_t offset = PayloadMarker::offset();
    char path[256];
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
    if (processState().gui != 0)
        MessageBoxA(nullptr, text, "Installation", icon);
    else
        std::printf("%s\n", text);
    std::fflush(stdout);
}
