// One INI entry of an installation, made undoable: setting a key leaves a record from which
// the uninstall removes the key again or writes the old value back, but only while the key
// still holds what the installation wrote: a value the user has set since is theirs.
//
// Record texts (the part of an "INI" action-log line after its TAB), fields split by TABs:
//   "CREATE"  file section key new-value             the key line was absent
//   "REPLACE" file section key old-value new-value   the key line was there (also as "key=")
//   "NONE"                                           a path entry already listed the folder
#pragma once

#include "system/DirectoryMatch.h"
#include "system/RecordSink.h"

#include <optional>
#include <string>

class IniChange {
  public:
    IniChange() = delete;

    enum class Kind { None, Create, Replace };

    struct Record {
        Kind kind = Kind::None;
        std::string file;
        std::string section;
        std::string key;
        std::string oldValue; // REPLACE: the value of the key line before
        std::string newValue; // the value written
    };

    struct Request {
        std::string file;
        std::string section;
        std::string key;
        std::string value;
        std::string beforeKey; // empty: none
        bool isPath = false;   // the value names a folder that must not be listed twice
    };

    struct Result {
        bool ok = false;
        Record record;       // what was done (kind None: nothing)
        std::string text;    // the record text to log (set when ok)
        std::string failure; // what failed and why, when !ok
    };

    // What undoing a record came to: undone now, nothing of ours left (undone before, or the
    // key or file already gone), left to the user who changed the value, or failed (the file
    // could not be read or written).
    enum class Outcome { Undone, NothingLeft, Left, Failed };
    struct UndoResult {
        Outcome outcome = Outcome::NothingLeft;
        std::string failure; // what failed and why, when Failed
    };

    // Sets the key. When the record could not describe the change exactly, or the entry could
    // not be written as the one line it must be, or the file's encoding cannot hold the section,
    // key or value, nothing is changed and the result is a failure. `probe` may add the file
    // system's answer to the is-path test. `record` (when given) gets the record text before the
    // file is written; false from it leaves the file unchanged.
    static Result apply(const Request& request, DirectoryMatch::Probe probe,
                        const RecordSink& record = nullptr);
    // CREATE: the key line goes while it holds the new value. REPLACE: the old value goes back
    // into the key line while it holds the new value; only that line's text changes. An old value
    // the file's encoding cannot hold (the file was converted since) fails, the file unchanged.
    static UndoResult undo(const Record& record);

    // Nothing when a field holds a TAB, CR or LF.
    static std::optional<std::string> formatRecord(const Record& record);
    // Nothing for a damaged record: an unknown kind, a wrong number of fields, or an empty
    // file, section or key.
    static std::optional<Record> parseRecord(const std::string& text);

  private:
    static const char* entryFault(const Request& request);
};
