// One INI entry of an installation and its undo, as the engine asks for them: the change made
// through IniChange, its record written into the caller's buffer and its line reported.
#pragma once

#include "system/RecordSink.h"

class RunReporter;

class IniFileChanges {
  public:
    // True on success or when nothing had to change (a folder already listed: record "NONE"). The
    // record goes to `record` whole, before the file is written; one that is not kept leaves the
    // file unchanged. Reports "Create " or "Replace " (or their "FAILED to " forms) followed by
    // "[section]/key in file", a failure with ": " and its reason.
    static bool change(const char* file, const char* section, const char* key, const char* value,
                       const RecordSink& record, RunReporter* ui, bool isPath,
                       const char* beforeKey);
    // Undoes one INI sub-record while the key still holds the value the installation wrote.
    // True when nothing of ours remains to be done: undone, undone before, or left to the user
    // who changed the value since (reported "Left [section]/key in file"). False when the file
    // could not be read or written (reported "FAILED to restore " or "FAILED to remove ", with
    // the reason) or the record is damaged (reported nothing). Otherwise reports "Restore " or
    // "Remove ".
    static bool undo(const char* record, RunReporter* ui);
};
