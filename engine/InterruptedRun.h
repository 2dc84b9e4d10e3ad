// An installation of the product that stopped before it completed (killed, a power cut, a
// crash): found through its run record and undone from its action log and backup file, wherever
// the run had got to (still under their temporary names, or already moved into place), so that
// the machine is as before it and the next installation starts clean.
#pragma once

#include <string>

class Description;
class RunReporter;
class Log;
class SystemChanges;
class VariableStore;

class InterruptedRun {
  public:
    InterruptedRun(const Description& description, VariableStore& variables, SystemChanges& system,
                   RunReporter& ui, Log* stepLog);

    enum class Outcome { kNone, kUndone, kFailed };
    // kFailed when something of the interrupted run remains; its undo data and record then stay
    // for another attempt, and no installation may go on over it.
    Outcome recover(const std::string& productName);

  private:
    const Description& description_;
    VariableStore& variables_;
    SystemChanges& system_;
    RunReporter& ui_;
    Log* stepLog_;
};
