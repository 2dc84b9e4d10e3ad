// Every line of the action log is written and read here. The log is a text file of CR LF lines:
// the saved description's path, the final backup path, "NUMVARS\t<n>" and n "VAR\t<name>\t<value>"
// lines, then one record per change: a kind word and its fields, separated by single TABs.
#pragma once

#include "package/Log.h"

#include <cstdio>
#include <memory>
#include <string>

class VariableStore;

class ActionLog {
  public:
    // A line holds at most this many characters: room for a whole variable (255-byte name,
    // 1,023-byte value) and for the undo record of an environment variable of the longest value
    // Windows allows (32,767 characters) with its name. A longer line is refused, never cut,
    // since a cut path or value would undo the wrong thing.
    static constexpr int kMaxLine = 65535;

    explicit ActionLog(Log& log) : log_(log), line_(new char[kMaxLine + 3]) {}

    // Opens (creating or emptying) the log with bare lines: no numbers, no time stamps.
    int open(const char* path);
    void close() { log_.close(); }

    // Each returns false when the line could not be written whole.
    bool writePath(const char* path);
    bool writeVariableCount(int count);
    bool writeVariable(const char* name, const char* value);
    // The variables section: the count line, then one line per variable.
    bool writeVariables(const VariableStore& variables);
    bool writeDirectory(int levelsCreated, const char* directory);
    bool writeFile(bool overwritten, const char* path);
    bool writeEnvironment(const char* subRecord);
    bool writeIni(const char* subRecord);
    bool writeShortcut(const char* subRecord);

    // Reading. One line without its line end; false at the end of the
    // stream or when the line does not fit whole (a cut line would carry a cut path or value).
    static bool readLine(std::FILE* stream, char* line, int size);
    // "NUMVARS", a tab and a decimal count.
    static bool parseVariableCount(const char* line, int* count);
    // "VAR", a tab, a non-empty name, then optionally a tab and a value, which runs to the line's
    // end (TABs included); splits the line in place.
    static bool parseVariable(char* line, const char** name, const char** value);
    // Reads the variables section from the stream's current position into the store. False at
    // the first line that does not match; the variables read before it stay set.
    static bool readVariables(std::FILE* stream, VariableStore& variables);

    // The kinds of record lines; kNone for every other line (the path and variable lines).
    enum class Kind { kNone, kDir, kFile, kReg, kEnv, kIni, kShortcut };
    // Reads the next line whole, of any length the writer writes. False at the end of the
    // stream. `complete` is false for a line that has no line end (a log cut short) or is longer
    // than any line the writer writes: such a line is never acted on.
    static bool readRecordLine(std::FILE* stream, std::string& line, bool* complete);
    // The line's kind (its first field, whole) and the fields behind the kind's TAB.
    static Kind recordKind(const std::string& line, std::string* rest);

  private:
    bool writeLine(const char* format, ...) KESTREL_PRINTF(2, 3);

    Log& log_;
    // One line's buffer, kept for the whole log: the longest line is far too large for every
    // write to reserve it anew.
    std::unique_ptr<char[]> line_;
};
