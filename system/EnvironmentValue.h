// The value side of a system environment change, apart from the registry: what a variable's
// new value is, which record lets the uninstall undo it, and what undoing gives back. Values
// are kept whole at any length, and every byte the change did not add stays as it was.
//
// Record texts (the part of an "ENV" action-log line after its TAB):
//   "CREATE" name              Replace, the variable did not exist
//   "REPLACE" name old-value   Replace, the variable existed
//   "ADD" name ";" value       Append to an existing variable
//   "ADD" name value ";"       Insert into an existing variable
//   "ADD" name value           Append or Insert, the variable did not exist
//   "NONE"                     nothing was changed
#pragma once

#include "system/DirectoryMatch.h"

#include <optional>
#include <string>

class EnvironmentValue {
  public:
    EnvironmentValue() = delete;

    enum Mode { kReplace = 1, kAppend = 2, kInsert = 3 };
    enum class Kind { None, Create, Replace, Add, Other };

    struct Record {
        Kind kind = Kind::None;
        std::string name;
        std::string value; // the old value of REPLACE, the added text of ADD
    };

    struct Change {
        bool ok = false;
        bool write = false; // whether the variable is to be written with `value`
        Kind kind = Kind::None;
        std::string value;
        std::string record;       // set when ok
        const char* failure = ""; // why not, when !ok: then nothing may be written
    };

    // `current`: the variable's value, nothing when it does not exist as a string. With
    // `isPath`, a folder the list already names (see DirectoryMatch) is not added again;
    // `probe` may add the file system's answer. An empty text adds nothing to an existing
    // list; one beginning or ending with ";" is refused, as the record could not say where
    // it went.
    static Change apply(const std::string& name, const std::optional<std::string>& current,
                        const std::string& text, int mode, bool isPath,
                        DirectoryMatch::Probe probe);
    // The value after undoing an ADD record's `added` text: removed only as whole list entries,
    // preferably where it was added (the end for Append, the start for Insert); the value is
    // returned unchanged when the text is no longer there.
    static std::string withoutAdded(const std::string& current, const std::string& added);
    // Whether a ";"-separated list names the folder.
    static bool listsFolder(const std::string& list, const std::string& folder,
                            DirectoryMatch::Probe probe);

    // Nothing when a field holds a TAB, CR or LF, or the last field ends in white space.
    static std::optional<std::string> formatRecord(const Record& record);
    // Nothing for a damaged CREATE, REPLACE or ADD record; unknown kinds parse as Other.
    static std::optional<Record> parseRecord(const std::string& text);
};
