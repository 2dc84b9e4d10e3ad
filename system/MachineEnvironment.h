// The machine-wide environment ("SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
// below HKEY_LOCAL_MACHINE): one change of a variable with the record that undoes it, the undo,
// and the broadcast that tells running programs. Values are read and written whole, of any
// length, keeping their string type (REG_SZ or REG_EXPAND_SZ); a variable of another type is
// refused, never replaced. The value logic is EnvironmentValue's.
#pragma once

#include "system/EnvironmentValue.h"
#include "system/RecordSink.h"

class RunReporter;

class MachineEnvironment {
  public:
    // True on success or when nothing had to change (record "NONE"). The record (the
    // ENV sub-record) goes to `record` before the registry is changed; a change whose record could
    // not say it exactly or was not kept is not made. Reports "Create ", "Replace ", "Add to " or
    // their "FAILED to " forms followed by the name.
    static bool change(const char* name, const char* value, EnvironmentValue::Mode mode,
                       const RecordSink& record, RunReporter* ui, bool isPath);
    // Undoes one ENV sub-record while the variable still holds what the installation wrote.
    // True when nothing of ours remains to be done: undone, undone before, or left to the user who
    // changed the variable since (reported "Left " and the name). False when the registry could not
    // be changed or the record is damaged (reported nothing). Reports "Restore ", "Remove ",
    // "Erase from " or their "FAILED to " forms followed by the name. A second run after a
    // success changes nothing.
    static bool undo(const char* record, RunReporter* ui);
    // WM_SETTINGCHANGE with "Environment" to every top-level window, 1 second per window at
    // most.
    static void broadcast();
};
