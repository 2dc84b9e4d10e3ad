// Test helper for Windows: starts kestrel_waiter.exe (beside the test program), which runs
// until this object ends it.
#pragma once

#include "system/ProcessStart.h"
#include "system/WinHandle.h"
#include "tests/e2e/EngineProcess.h"

class WaitingProgram {
  public:
    // Starts the program and waits until it signals that it runs; started() tells.
    WaitingProgram() {
        WinHandle ready(CreateEventA(nullptr, TRUE, FALSE, "KestrelWaiterReady"));
        std::string command = "\"" + path() + "\" KestrelWaiterReady";
        if (!ready.valid())
            return;
        process_ = ProcessStart::start(command, ProcessStart::Options());
        if (!process_.valid())
            return;
        started_ = WaitForSingleObject(ready.get(), 20000) == WAIT_OBJECT_0;
    }
    ~WaitingProgram() { end(); }
    WaitingProgram(const WaitingProgram&) = delete;
    WaitingProgram& operator=(const WaitingProgram&) = delete;

    bool started() const { return started_; }
    static std::string path() { return EngineProcess::testFolder() + "kestrel_waiter.exe"; }

    // Ends the program and waits until it is gone.
    void end() {
        if (!process_.valid())
            return;
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 20000);
        process_.reset();
    }

  private:
    WinHandle process_;
    bool started_ = false;
};
