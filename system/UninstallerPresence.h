// The sign that an uninstall really runs: the uninstaller copy that performs it holds a named
// mutex from before its start event until after its end event. An installer that waits for a
// previous version's uninstall cannot know when the relaunched copy starts nor whether it died;
// a mutex answers both, because the system hands a mutex whose owner died to the next waiter
// at once (abandoned), where an event would stay unset for ever.
#pragma once

#include <windows.h>

#include "system/WinHandle.h"

class UninstallerPresence {
  public:
    static constexpr const char* kMutexName = "LumoUninstallerRunning";
    // How long the copy tries to take the mutex. A waiter only holds it for the instant of a
    // look; only another uninstall running at the same time holds it longer.
    static constexpr unsigned long kClaimMs = 5000;
    // An uninstaller of an earlier version signals its start but holds no presence: its end is
    // waited for at most this long, so that one that died cannot hold the installer for ever.
    static constexpr unsigned long kUnwatchedEndMs = 120000;

    // What ended a waiter's wait.
    enum class WaitEnd {
        Ended,      // the end event came
        Released,   // the copy let its presence go
        Abandoned,  // the copy died holding its presence
        Silent,     // the bound passed and nothing announced an uninstall
        Unfinished, // started without a presence and did not end within kUnwatchedEndMs
        Failed,     // the system refused a wait
    };

    // The copy's side: takes the presence, waiting at most `claimMs` for another uninstall to
    // let it go, and holds it until destroyed (on the same thread).
    explicit UninstallerPresence(unsigned long claimMs = kClaimMs);
    ~UninstallerPresence();
    UninstallerPresence(const UninstallerPresence&) = delete;
    UninstallerPresence& operator=(const UninstallerPresence&) = delete;
    // False when the mutex could not be made or another uninstall held it all along.
    bool held() const { return held_; }
    // Whether an uninstall runs now (some process holds the presence).
    static bool isHeldNow();

    // The waiting installer's side. `started` and `ended` are the auto-reset events it created
    // before it started `process`. Waits without limit for the process to end (or the end
    // event); then for at most `boundMs` for the end event, the start event or a presence; after
    // a start or a presence, without limit until the copy's end event or until its presence is
    // released or abandoned.
    static WaitEnd waitForUninstall(HANDLE process, HANDLE started, HANDLE ended,
                                    unsigned long boundMs);

  private:
    WinHandle mutex_;
    bool held_ = false;
};
