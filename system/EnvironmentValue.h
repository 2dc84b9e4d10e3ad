// The value side of a system environment change, apart from the registry: what a variable's
// new value is, which record lets the uninstall undo it, and what undoing asks of the variable
// as it stands then. Values are kept whole at any length, and every byte the change did not add
// stays as it was.
//
// Record texts (the part of an "ENV" action-log line after its TAB), fields split by TABs:
//   "CREATE" name new-value             Replace, the variable did not exist
//   "REPLACE" name old-value new-value  Replace, the variable existed (old may be empty)
//   "ADD" name ";" value count          Append to an existing variable
//   "ADD" name value ";" count          Insert into an existing variable
//   "ADD" name value 0                  Append or Insert, the variable did not exist
// where count is how often the list named the value as a whole entry before the change.
//   "NONE"                              nothing was changed
//
// The undo acts only on what is still the installation's: a variable that no longer holds what
// was written is the user's and is left as it stands.
#pragma once

#include "system/DirectoryMatch.h"

#include <optional>
#include <string>

class EnvironmentValue {
  public:
    EnvironmentValue() = delete;

    enum class Mode { kReplace, kAppend, kInsert };
    enum class Kind { None, Create, Replace, Add };

    struct Record {
        Kind kind = Kind::None;
        std::string name;
        std::string oldValue; // REPLACE: the value before
        std::string newValue; // CREATE, REPLACE: the value written; ADD: the added text
        // ADD: the whole entries of the added value the list held before. Only an entry beyond
        // them is the installation's, so that an undo run twice never takes the user's copy.
        size_t entriesBefore = 0;
    };

    struct Change {
        bool ok = false;
        bool write = false; // whether the variable is to be written with `value`
        Kind kind = Kind::None;
        std::string value;
        std::string record;       // set when ok
        const char* failure = ""; // why not, when !ok: then nothing may be written
    };

    // What undoing a record asks of the variable: nothing (nothing of ours is left in it),
    // leave it (the user changed it), delete it, or write `value` back.
    enum class UndoAction { Nothing, Left, Delete, Write };
    struct Undo {
        UndoAction action = UndoAction::Nothing;
        std::string value;
    };

    // `current`: the variable's value, nothing when it does not exist as a string. With
    // `isPath`, a folder the list already names (see DirectoryMatch) is not added again;
    // `probe` may add the file system's answer. An empty text adds nothing to an existing
    // list; for Append and Insert a text beginning or ending with ";" is refused, as the record
    // could not say where it went.
    static Change apply(const std::string& name, const std::optional<std::string>& current,
                        const std::string& text, Mode mode, bool isPath,
                        DirectoryMatch::Probe probe);
    // `current`: the variable's value now, nothing when it is absent. An ADD takes out whole
    // ";"-separated entries only: for Append the last occurrence, for Insert the first, so
    // that a copy the list named before the installation keeps its place in the search order.
    static Undo undo(const Record& record, const std::optional<std::string>& current);
    // Whether a ";"-separated list names the folder.
    static bool listsFolder(const std::string& list, const std::string& folder,
                            DirectoryMatch::Probe probe);

    // Nothing when a field holds a TAB, CR or LF.
    static std::optional<std::string> formatRecord(const Record& record);
    // Nothing for a damaged record: an unknown kind, a wrong number of fields, an empty name,
    // or an added text that says neither Append, Insert nor creation.
    static std::optional<Record> parseRecord(const std::string& text);
};
