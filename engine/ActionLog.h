// Every line of the action log is written here (ActionLogReader reads them back). The log is a
// text file of CR LF lines: the saved description's path, the final backup path, "NUMVARS\t<n>"
// and n "VAR\t<name>\t<value>" lines, then one record per change: a kind word and its fields,
// separated by single TABs; a run that finished its steps closes it with "END\t<records>".
#pragma once

#include "package/Log.h"

#include <memory>
#include <string>

class VariableStore;

class ActionLog {
  public:
    // A line holds at most this many characters: room for a whole variable (255-byte name,
    // 1,023-byte value) and for the undo record of an environment variable that names both its
    // previous and its new value, each of the longest Windows allows (32,767 characters). A
    // longer line is refused, never cut, since a cut path or value would undo the wrong thing.
    static constexpr int kMaxLine = 70000;

    explicit ActionLog(Log& log) : log_(log), line_(new char[kMaxLine + 3]) {}

    // Opens (creating or emptying) the log with bare lines: no numbers, no time stamps; false
    // when it cannot be created.
    bool open(const char* path);
    void close() { log_.close(); }

    // Each returns false when the line could not be written whole.
    // The log's first line: the code page every line after it is in.
    bool writeEncoding(unsigned codePage);
    bool writePath(const char* path);
    bool writeVariableCount(int count);
    bool writeVariable(const char* name, const char* value);
    // The variables section: the count line, then one line per variable.
    bool writeVariables(const VariableStore& variables);
    bool writeDirectory(int levelsCreated, const char* directory);
    bool writeFile(bool overwritten, const char* path);
    // The content of an overwritten file was written whole: without this record an uninstall
    // knows the write was cut or failed, and puts the previous content back whatever the file
    // holds.
    bool writeFileDone(const char* path);
    bool writeEnvironment(const char* subRecord);
    bool writeIni(const char* subRecord);
    bool writeShortcut(const char* subRecord);
    // The closing record: the run finished its steps, and the log holds this many records. A log
    // without it was cut short (a killed run, a full disk) and cannot prove it lists every change.
    bool writeEnd();

    // The sub-kind of the FILE record that follows a whole write of an overwritten file.
    static constexpr const char* kFileDone = "DONE";
    static constexpr const char* kEncoding = "ENCODING";

  private:
    bool writeLine(const char* format, ...) KESTREL_PRINTF(2, 3);
    bool writeRecord(const char* kind, const char* fields);
    // Every record line is counted, so that the closing record can say how many the log holds.
    bool counted(bool written);

    Log& log_;
    // One line's buffer, kept for the whole log: the longest line is far too large for every
    // write to reserve it anew.
    std::unique_ptr<char[]> line_;
    int records_ = 0;
};
