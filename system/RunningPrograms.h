// Whether a program runs: the process-status functions of the system, asked for the main
// module of every process that this process may examine.
#pragma once

class RunningPrograms {
  public:
    // True when a running process's main module has this base name (for example
    // "program.exe"), compared without regard to case. A process that cannot be examined and
    // any failure of the system calls count as not running.
    static bool isRunning(const char* moduleName);

  private:
    static bool mainModuleIs(unsigned long processId, const char* moduleName);
};
