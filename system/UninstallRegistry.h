// The uninstall registration below HKEY_LOCAL_MACHINE
// "Software\Microsoft\Windows\CurrentVersion\Uninstall": writing it at the end of an
// installation, finding a previous version by the product's name and running its uninstaller,
// and removing the registration at the end of an uninstall.
#pragma once

#include "system/ChangeResult.h"
#include "system/UninstallerPresence.h"

#include "system/RunRecord.h"

#include <optional>

struct UninstallRegistration;

class UninstallRegistry {
  public:
    static constexpr const char* kUninstallKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

    // The six values "DisplayIcon", "DisplayName", "DisplayVersion", "HelpLink", "Publisher",
    // "UninstallString" in this order, then "InstallLocation", "EstimatedSize", "NoModify",
    // "NoRepair" and "QuietUninstallString", every one tried; the failure names the key or the
    // values the registry refused.
    static ChangeResult write(const UninstallRegistration& registration);
    // True when the product's key holds a registration (an "UninstallString"); a key that holds
    // only the record of a running installation is none.
    static bool isInstalled(const char* productName);
    // The run record, as four values of the product's key (created when missing).
    static bool writeRunRecord(const char* productName, const RunRecord& record);
    static std::optional<RunRecord> findRunRecord(const char* productName);
    // Deletes the four values, and the key when no registration shares it.
    static bool removeRunRecord(const char* productName);
    // How long after the registered command has ended an uninstall may take to announce itself
    // (its start event or its presence) before the installer stops waiting for one: generous,
    // because the command relaunches a copy of itself, whose start a busy machine can delay.
    static constexpr unsigned long kAnnounceBoundMs = 60000;

    struct UninstallerRun {
        bool started = false;
        UninstallerPresence::WaitEnd end = UninstallerPresence::WaitEnd::Silent;
    };

    // Starts the registered "QuietUninstallString" (the user has already agreed) or, without
    // one, the "UninstallString" (with " -gui=0" when `console`), and waits until that
    // uninstall has really ended (UninstallerPresence::waitForUninstall with kAnnounceBoundMs).
    // A command line that does not fit the system's 32,767 characters is not started.
    // Whether the uninstaller was started, and what ended the wait.
    static UninstallerRun runUninstaller(const char* productName, bool console,
                                         unsigned long announceBoundMs);
    // Deletes the product's key with its values; true also when there is none. An empty name
    // never reaches the system (it would name the uninstall key itself).
    static bool remove(const char* productName);
};
