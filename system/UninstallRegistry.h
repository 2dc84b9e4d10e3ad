// The uninstall registration below HKEY_LOCAL_MACHINE
// "Software\Microsoft\Windows\CurrentVersion\Uninstall": writing it at the end of an
// installation, finding a previous version by the product's name and running its uninstaller,
// and removing the registration at the end of an uninstall.
#pragma once

struct UninstallRegistration;

class UninstallRegistry {
  public:
    static constexpr const char* kUninstallKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

    // The six values "DisplayIcon", "DisplayName", "DisplayVersion", "HelpLink", "Publisher",
    // "UninstallString" in this order, then "InstallLocation", "EstimatedSize", "NoModify",
    // "NoRepair" and "QuietUninstallString". 1 when every value was written whole.
    static int write(const UninstallRegistration& registration);
    // 1 when the product's key exists.
    static int isInstalled(const char* productName);
    // Starts the registered "UninstallString" (with " -gui=0" when `console`), then waits up to
    // 2 s for the uninstaller's start event and, only if it came, up to 2 min for its end event.
    // 1 when the uninstaller was started.
    static int runUninstaller(const char* productName, bool console);
    // Deletes the product's key with its values; true also when there is none. An empty name
    // never reaches the system (it would name the uninstall key itself).
    static bool remove(const char* productName);
};
