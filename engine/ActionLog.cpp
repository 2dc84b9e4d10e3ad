#include "engine/ActionLog.h"

#include "config/VariableStore.h"
#include "package/TextEncoding.h"

#include <cstdlib>
#include <cstring>

bool ActionLog::open(const char* path) {
    bool result = log_.open(path);
    log_.flags = 0;
    records_ = 0;
    return result;
}

bool ActionLog::writeLine(const char* format, ...) {
    char* line = line_.get();
    va_list args;
    va_start(args, format);
    int length = boundedFormatV(line, kMaxLine + 1, format, args);
    va_end(args);
    if (length < 0 || !log_.hasFile())
        return false;
    line[length] = '\r';
    line[length + 1] = '\n';
    return log_.writeChecked(line, static_cast<uint32_t>(length + 2));
}

namespace {
// A field holding one of these would end its line early or shift the fields behind it: a value
// could then forge a record of its own that an uninstall acts on.
bool isField(const char* text) {
    return std::strpbrk(text, "\t\r\n") == nullptr;
}
bool isLineText(const char* text) {
    return std::strpbrk(text, "\r\n") == nullptr;
}
} // namespace

bool ActionLog::writeEncoding(unsigned codePage) {
    return writeLine("%s\t%s", kEncoding, TextEncoding::nameOf(codePage).c_str());
}

bool ActionLog::writePath(const char* path) {
    return isField(path) && writeLine("%s", path);
}

bool ActionLog::writeVariableCount(int count) {
    return writeLine("NUMVARS\t%i", count);
}

// The value is the line's last field: a TAB in it is kept and read back whole.
bool ActionLog::writeVariable(const char* name, const char* value) {
    return isField(name) && isLineText(value) && writeLine("VAR\t%s\t%s", name, value);
}

bool ActionLog::writeVariables(const VariableStore& variables) {
    bool whole = writeVariableCount(variables.count());
    for (int i = 0; i < variables.count(); ++i) {
        if (!writeVariable(variables.at(i).name, variables.at(i).value))
            whole = false;
    }
    return whole;
}

bool ActionLog::counted(bool written) {
    if (written)
        ++records_;
    return written;
}

bool ActionLog::writeRecord(const char* kind, const char* fields) {
    return counted(isLineText(fields) && writeLine("%s%c%s", kind, '\t', fields));
}

bool ActionLog::writeDirectory(int levelsCreated, const char* directory) {
    return counted(isField(directory) &&
                   writeLine("%s%c%d%c%s", "DIR", '\t', levelsCreated, '\t', directory));
}

bool ActionLog::writeFile(bool overwritten, const char* path) {
    return counted(isField(path) && writeLine("%s%c%s%c%s", "FILE", '\t',
                                              overwritten ? "OVER" : "CREATE", '\t', path));
}

bool ActionLog::writeFileDone(const char* path) {
    return counted(isField(path) && writeLine("FILE\t%s\t%s", kFileDone, path));
}

bool ActionLog::writeEnvironment(const char* subRecord) {
    return writeRecord("ENV", subRecord);
}

bool ActionLog::writeIni(const char* subRecord) {
    return writeRecord("INI", subRecord);
}

bool ActionLog::writeShortcut(const char* subRecord) {
    return writeRecord("SHORTCUT", subRecord);
}

bool ActionLog::writeEnd() {
    return writeLine("END\t%d", records_);
}
