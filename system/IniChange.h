// One INI entry of an installation, made undoable: setting a key leaves a record from which
// the uninstall restores the old value or removes the key again.
//
// Record texts (the part of an "INI" action-log line after its TAB):
//   "REPLACE" file section key old-value   the key had a non-empty value
//   "CREATE"  file section key new-value   the key was absent or empty
//   "NONE"                                 a path entry already listed the folder
#pragma once

#include "system/DirectoryMatch.h"

#include <optional>
#include <string>

class IniChange {
  public:
    IniChange() = delete;

    enum class Kind { None, Create, Replace, Other };

    struct Record {
        Kind kind = Kind::None;
        std::string file;
        std::string section;
        std::string key;
        std::string value; // the old value of REPLACE, the new value of CREATE
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
        Kind kind = Kind::None; // Create / Replace: the key was new / had a value; None: untouched
        std::string record;     // the record text to log (set when ok)
        std::optional<std::string> oldValue; // the key's line value before, when it had a line
        bool sectionExisted = false;
        bool fileExisted = false;
        const char* failure = ""; // why not, when !ok
    };

    // Sets the key. When the record could not describe the change exactly, or the entry could
    // not be written as the one line it must be, nothing is changed and the result is a
    // failure. `probe` may add the file system's answer to the is-path test.
    static Result apply(const Request& request, DirectoryMatch::Probe probe);
    // Undoes a parsed record: REPLACE writes the old value back, CREATE removes the key (a key
    // or file already gone needs nothing), NONE and Other need nothing.
    static Result undo(const Record& record);

    // Nothing when a field holds a TAB, CR or LF or the last field ends in white space.
    static std::optional<std::string> formatRecord(const Record& record);
    // Nothing for a damaged CREATE or REPLACE record; unknown kinds parse as Other.
    static std::optional<Record> parseRecord(const std::string& text);

  private:
    static const char* entryFault(const Request& request);
};
