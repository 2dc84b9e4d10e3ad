// The process: the administrator check, the options, the debug log, the installer object and
// one of the three runs (installation, relaunch for uninstall, real uninstall).
#pragma once

#include "startup/CommandLineOptions.h"

class Installer;
class InstallerUI;

class EntryPoint {
  public:
    static constexpr const char* kDebugLogPath = "c:/kestrel.log.txt";

    // Returns the process exit code.
    int run();

  private:
    void readOptions();
    int chooseRun(Installer& installer);
    int relaunchForUninstall();
    int realUninstall(Installer& installer);
    void openUninstallResources(Installer& installer);
    int install(Installer& installer);
    // -recover: undoes an interrupted installation of the package's product, installs nothing.
    int recover(Installer& installer);
    int openInstallPackage(Installer& installer);
    InstallerUI* selectUI(Installer& installer);
    // Says what is wrong with the package: a console line, or a message box in gui mode.
    void reportPackageFailure(const char* path, int code);
    void tell(const char* text, unsigned int icon);

    CommandLineOptions options_;
    const char* bin_ = nullptr;
    const char* uninstall_ = nullptr;
    const char* uninstallApp_ = nullptr;
    const char* uninstallFile_ = nullptr;
    bool configFileTooLong_ = false;
    int recover_ = 0;
};
