#include "system/UninstallerPresence.h"

#include <initializer_list>

namespace {
// A presence cannot be waited for to appear, only looked at: this often.
const DWORD kLookMs = 50;
const DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

using WaitEnd = UninstallerPresence::WaitEnd;

struct Waited {
    enum class Kind { Signalled, Abandoned, TimedOut, Failed };
    Kind kind = Kind::Failed;
    int index = -1; // among the handles given, invalid ones counted
};

// Waits for the first of the valid handles; invalid ones (an event that could not be made) are
// left out rather than failing the whole wait.
Waited waitAny(std::initializer_list<HANDLE> handles, DWORD ms) {
    HANDLE valid[MAXIMUM_WAIT_OBJECTS];
    int given[MAXIMUM_WAIT_OBJECTS];
    DWORD count = 0;
    int index = 0;
    for (HANDLE handle : handles) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE && count < MAXIMUM_WAIT_OBJECTS) {
            valid[count] = handle;
            given[count++] = index;
        }
        ++index;
    }
    Waited waited;
    if (count == 0) {
        // Nothing to wait for: a timed wait still takes its time, an endless one cannot.
        if (ms == INFINITE)
            return waited;
        Sleep(ms);
        waited.kind = Waited::Kind::TimedOut;
        return waited;
    }
    DWORD result = WaitForMultipleObjects(count, valid, FALSE, ms);
    if (result < WAIT_OBJECT_0 + count) {
        waited.kind = Waited::Kind::Signalled;
        waited.index = given[result - WAIT_OBJECT_0];
    } else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
        waited.kind = Waited::Kind::Abandoned;
        waited.index = given[result - WAIT_ABANDONED_0];
    } else if (result == WAIT_TIMEOUT) {
        waited.kind = Waited::Kind::TimedOut;
    }
    return waited;
}

// True when some process holds the presence now; `mutex` then keeps it open for waiting. A free
// or abandoned presence is taken by the look itself and given back at once.
bool presenceHeld(WinHandle& mutex) {
    mutex.reset(OpenMutexA(kMutexAccess, FALSE, UninstallerPresence::kMutexName));
    if (!mutex.valid())
        return false;
    DWORD result = WaitForSingleObject(mutex.get(), 0);
    if (result == WAIT_TIMEOUT)
        return true;
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
        ReleaseMutex(mutex.get());
    mutex.reset();
    return false;
}

// Until the holder of `mutex` lets it go, dies, or signals `ended`.
WaitEnd waitWhileHeld(HANDLE mutex, HANDLE ended) {
    Waited waited = waitAny({ended, mutex}, INFINITE);
    if (waited.index == 1)
        ReleaseMutex(mutex);
    if (waited.index == 0)
        return WaitEnd::Ended;
    if (waited.index == 1)
        return waited.kind == Waited::Kind::Abandoned ? WaitEnd::Abandoned : WaitEnd::Released;
    return WaitEnd::Failed;
}

// Watches for the end event, a presence and, until the uninstall announced itself, the start
// event, for at most `boundMs`.
WaitEnd watch(HANDLE started, HANDLE ended, unsigned long boundMs, bool announced) {
    const ULONGLONG deadline = GetTickCount64() + boundMs;
    for (;;) {
        WinHandle mutex;
        if (presenceHeld(mutex))
            return waitWhileHeld(mutex.get(), ended);
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return announced ? WaitEnd::Unfinished : WaitEnd::Silent;
        DWORD slice = deadline - now < kLookMs ? static_cast<DWORD>(deadline - now) : kLookMs;
        Waited waited = waitAny({ended, announced ? nullptr : started}, slice);
        if (waited.index == 0)
            return WaitEnd::Ended;
        // The copy takes its presence before it signals its start; a start without one is an
        // earlier version's, whose end is the only sign left.
        if (waited.index == 1)
            return watch(started, ended, UninstallerPresence::kUnwatchedEndMs, true);
        if (waited.kind == Waited::Kind::Failed)
            return WaitEnd::Failed;
    }
}
} // namespace

UninstallerPresence::UninstallerPresence(unsigned long claimMs) {
    // A stale "already exists" would make the owner take its new mutex a second time, and one
    // release would then leave it held.
    SetLastError(ERROR_SUCCESS);
    mutex_.reset(CreateMutexA(nullptr, TRUE, kMutexName));
    if (!mutex_.valid())
        return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        held_ = true;
        return;
    }
    // It existed (a waiter looking, or one left open): it must be taken like any mutex.
    DWORD result = WaitForSingleObject(mutex_.get(), claimMs);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool UninstallerPresence::isHeldNow() {
    WinHandle mutex;
    return presenceHeld(mutex);
}

UninstallerPresence::~UninstallerPresence() {
    if (held_)
        ReleaseMutex(mutex_.get());
}

UninstallerPresence::WaitEnd UninstallerPresence::waitForUninstall(HANDLE process, HANDLE started,
                                                                   HANDLE ended,
                                                                   unsigned long boundMs) {
    // Without the process the first wait could only end with the end event, maybe never.
    if (process == nullptr || process == INVALID_HANDLE_VALUE)
        return WaitEnd::Failed;
    Waited waited = waitAny({process, ended}, INFINITE);
    if (waited.index == 1)
        return WaitEnd::Ended;
    if (waited.index != 0)
        return WaitEnd::Failed;
    return watch(started, ended, boundMs, false);
}
