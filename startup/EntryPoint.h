// The process: the administrator check, the options, the debug log, the installer object and
// one of the three runs (installation, relaunch for uninstall, real uninstall).
#pragma once

#include "startup/CommandLineOptions.h"
#include "startup/ProcessState.h"
#include "startup/Transcript.h"
#include "ui/ConsoleUI.h"
#include "ui/WindowUI.h"

class Installer;
class InstallerUI;

class EntryPoint {
  public:
    static constexpr const char* kDebugLogPath = "c:/kestrel.log.txt";
    // How long the uninstall's copy waits for the command it told the outcome to end, before
    // it tries to remove that command's program all the same.
    static constexpr unsigned long kCommandEndMs = 30000;
    // How long an uninstall waits for another one that runs to end before it gives up.
    static constexpr unsigned long kOtherUninstallMs = 10 * 60 * 1000;

    // Returns the process exit code.
    int run();

  private:
    void readOptions();
    int chooseRun(Installer& installer);
    int relaunchForUninstall();
    int realUninstall(Installer& installer);
    // Says so and returns true when others than the administrators may change the undo file.
    bool refuseUndoData(const char* path);
    void openUninstallResources(Installer& installer);
    int install(Installer& installer);
    // -recover: undoes an interrupted installation of the package's product, installs nothing.
    int recover(Installer& installer);
    int openInstallPackage(Installer& installer);
    InstallerUI* selectUI(Installer& installer);
    // Says what is wrong with the package: a console line, or a message box in gui mode.
    void reportPackageFailure(const char* path, int code);
    void tell(const char* text, unsigned int icon);

    ProcessState state_;
    // The two handlers; the run's options choose one.
    ConsoleUI consoleUI_;
    WindowUI windowUI_;
    CommandLineOptions options_;
    const char* bin_ = nullptr;
    const char* uninstall_ = nullptr;
    const char* uninstallApp_ = nullptr;
    const char* uninstallFile_ = nullptr;
    const char* logFile_ = nullptr;
    // -log: every report line, question and answer, and every reason a run stopped.
    Transcript transcript_;
    bool configFileTooLong_ = false;
    int recover_ = 0;
};
