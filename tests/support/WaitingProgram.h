// Test helper for Windows: starts kestrel_waiter.exe (beside the test program), which runs
// until this object ends it.
#pragma once

#include "system/WinHandle.h"

#include <string>
#include <vector>
#include <windows.h>

class WaitingProgram {
  public:
    static constexpr const char* kName = "kestrel_waiter.exe";

    // Starts the program and waits until it signals that it runs; started() tells.
    WaitingProgram() {
        const char* eventName = "KestrelWaiterReady";
        WinHandle ready(CreateEventA(nullptr, TRUE, FALSE, eventName));
        std::string command = "\"" + besideThisProgram(kName) + "\" " + eventName;
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!ready.valid() || !CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                              nullptr, nullptr, &startup, &process))
            return;
        process_.reset(process.hProcess);
        WinHandle thread(process.hThread);
        started_ = WaitForSingleObject(ready.get(), 20000) == WAIT_OBJECT_0;
    }
    ~WaitingProgram() { end(); }
    WaitingProgram(const WaitingProgram&) = delete;
    WaitingProgram& operator=(const WaitingProgram&) = delete;

    bool started() const { return started_; }
    std::string path() const { return besideThisProgram(kName); }

    // Ends the program and waits until it is gone.
    void end() {
        if (!process_.valid())
            return;
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 20000);
        process_.reset();
    }

    static std::string besideThisProgram(const char* name) {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        std::string result(path, length < sizeof path ? length : 0);
        return result.substr(0, result.find_last_of("\\/") + 1) + name;
    }

  private:
    WinHandle process_;
    bool started_ = false;
};
