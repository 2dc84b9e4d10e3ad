#include "engine/ActionLog.h"

#include <cstring>

int ActionLog::open(const char* path) {
    int result = log_.open(path, 0);
    log_.flags = 0;
    return result;
}

bool ActionLog::writeLine(const char* format, ...) {
    char line[kMaxLine + 3];
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

bool ActionLog::writePath(const char* path) {
    return writeLine("%s", path);
}

bool ActionLog::writeVariableCount(int count) {
    return writeLine("NUMVARS\t%i", count);
}

bool ActionLog::writeVariable(const char* name, const char* value) {
    return writeLine("VAR\t%s\t%s", name, value);
}

bool ActionLog::writeDirectory(int levelsCreated, const char* directory) {
    return writeLine("%s%c%d%c%s", "DIR", '\t', levelsCreated, '\t', directory);
}

bool ActionLog::writeFile(bool overwritten, const char* path) {
    return writeLine("%s%c%s%c%s", "FILE", '\t', overwritten ? "OVER" : "CREATE", '\t', path);
}

bool ActionLog::writeEnvironment(const char* subRecord) {
    return writeLine("%s%c%s", "ENV", '\t', subRecord);
}

bool ActionLog::writeIni(const char* subRecord) {
    return writeLine("%s%c%s", "INI", '\t', subRecord);
}

bool ActionLog::writeShortcut(const char* subRecord) {
    return writeLine("%s%c%s", "SHORTCUT", '\t', subRecord);
}
