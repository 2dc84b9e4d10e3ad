// The action log read back whole, from its first line, before anything is undone: the two paths,
// the variables and every record, and whether the log proves that it lists every change (its
// closing record, with the count of the records before it). Lines are read whole or not at all;
// a line without its line end, longer than any line the writer writes, or not of a known kind
// where records stand is never acted on and counts as damage.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class ActionLogReader {
  public:
    ActionLogReader() = delete;

    enum class Kind { kNone, kDir, kFile, kEnv, kIni, kShortcut, kEnd };
    // What a FILE record says happened to its file.
    enum class FileStep { kNone, kCreate, kOver, kDone };
    struct Record {
        Kind kind = Kind::kNone;
        std::string fields; // the line behind the kind word and its TAB
        // FILE and DIR records, parsed: the step and the file, or the folder and how many of its
        // deepest levels the run made (0: the record is damaged).
        FileStep step = FileStep::kNone;
        std::string path;
        int levels = 0;
    };
    struct Variable {
        std::string name;
        std::string value;
    };
    struct Contents {
        std::string descriptionPath;
        std::string backupPath;
        std::vector<Variable> variables;
        std::vector<Record> records; // in log order, without the closing record
        // The two paths and the variables section were read whole.
        bool headerWhole = false;
        // The closing record stands last and counts exactly the records before it.
        bool closed = false;
        int damagedLines = 0;
    };

    // Reads the stream from its start to its end.
    static Contents read(std::FILE* stream);
    // The first path of the log (the saved description), in the engine's code page; false when
    // it is not there whole.
    static bool readDescriptionPath(std::FILE* stream, std::string& path);

    // The line's kind (its first field, whole) and the fields behind the kind's TAB.
    static Kind kindOf(const std::string& line, std::string* rest);
    // "NUMVARS", a tab and a decimal count of 0 or more.
    static bool parseVariableCount(const std::string& line, int* count);
    // "VAR", a tab, a non-empty name without TAB, then optionally a tab and a value, which runs
    // to the line's end.
    static bool parseVariable(const std::string& line, Variable* variable);

  private:
    // Reads the next line whole, of any length the writer writes. False at the end of the
    // stream; `whole` is false for a line without its line end or longer than any written.
    // A line that is not valid in the log's code page, or holds a character the engine's code
    // page cannot hold, is not whole either.
    static bool readWholeLine(std::FILE* stream, std::string& line, bool* whole, unsigned codePage);
    // From the stream's start: the code page its ENCODING line names (0 for an unknown one), or,
    // for a log written before logs named their encoding, the system's ANSI code page with the
    // stream back at its start.
    static unsigned readEncoding(std::FILE* stream);
    static void readHeader(std::FILE* stream, Contents& contents, unsigned codePage);
    static void readRecords(std::FILE* stream, Contents& contents, unsigned codePage);
};
