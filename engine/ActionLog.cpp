#include "engine/ActionLog.h"

#include "config/VariableStore.h"

#include <cstdlib>
#include <cstring>

int ActionLog::open(const char* path) {
    int result = log_.open(path, 0);
    log_.flags = 0;
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

bool ActionLog::writeDirectory(int levelsCreated, const char* directory) {
    return isField(directory) &&
           writeLine("%s%c%d%c%s", "DIR", '\t', levelsCreated, '\t', directory);
}

bool ActionLog::writeFile(bool overwritten, const char* path) {
    return isField(path) &&
           writeLine("%s%c%s%c%s", "FILE", '\t', overwritten ? "OVER" : "CREATE", '\t', path);
}

bool ActionLog::writeEnvironment(const char* subRecord) {
    return isLineText(subRecord) && writeLine("%s%c%s", "ENV", '\t', subRecord);
}

bool ActionLog::writeIni(const char* subRecord) {
    return isLineText(subRecord) && writeLine("%s%c%s", "INI", '\t', subRecord);
}

bool ActionLog::writeShortcut(const char* subRecord) {
    return isLineText(subRecord) && writeLine("%s%c%s", "SHORTCUT", '\t', subRecord);
}

bool ActionLog::readLine(std::FILE* stream, char* line, int size) {
    if (stream == nullptr || std::fgets(line, size, stream) == nullptr)
        return false;
    size_t length = std::strlen(line);
    bool whole = (length > 0 && line[length - 1] == '\n') || std::feof(stream);
    // Only the line end goes: a value may end in white space or a TAB and must read back whole.
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
    return whole;
}

bool ActionLog::parseVariableCount(const char* line, int* count) {
    static const char kPrefix[] = "NUMVARS\t";
    if (std::strncmp(line, kPrefix, sizeof kPrefix - 1) != 0)
        return false;
    const char* digits = line + sizeof kPrefix - 1;
    char* end = nullptr;
    long value = std::strtol(digits, &end, 10);
    if (end == digits || value > 0x7fffffffL || value < -0x7fffffffL)
        return false;
    *count = static_cast<int>(value);
    return true;
}

bool ActionLog::parseVariable(char* line, const char** name, const char** value) {
    static const char kPrefix[] = "VAR\t";
    if (std::strncmp(line, kPrefix, sizeof kPrefix - 1) != 0)
        return false;
    char* nameStart = line + sizeof kPrefix - 1;
    size_t nameLength = std::strcspn(nameStart, "\t");
    if (nameLength == 0)
        return false;
    *name = nameStart;
    char* after = nameStart + nameLength;
    if (*after == '\0') {
        *value = after;
        return true;
    }
    *after = '\0';
    *value = after + 1;
    return true;
}

bool ActionLog::readVariables(std::FILE* stream, VariableStore& variables) {
    std::unique_ptr<char[]> buffer(new char[kMaxLine + 2]);
    char* line = buffer.get();
    int announced = 0;
    if (!readLine(stream, line, kMaxLine + 2) || !parseVariableCount(line, &announced))
        return false;
    for (int i = 0; i < announced; ++i) {
        const char* name = nullptr;
        const char* value = nullptr;
        if (!readLine(stream, line, kMaxLine + 2) || !parseVariable(line, &name, &value))
            return false;
        variables.set(name, value);
    }
    return true;
}

bool ActionLog::readRecordLine(std::FILE* stream, std::string& line, bool* complete) {
    line.clear();
    *complete = false;
    if (stream == nullptr)
        return false;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            *complete = line.size() <= static_cast<size_t>(kMaxLine);
            return true;
        }
        // Past the longest line the writer writes the rest is skipped, not kept.
        if (line.size() <= static_cast<size_t>(kMaxLine))
            line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

ActionLog::Kind ActionLog::recordKind(const std::string& line, std::string* rest) {
    static const struct {
        const char* word;
        Kind kind;
    } kKinds[] = {{"DIR", Kind::kDir}, {"FILE", Kind::kFile}, {"REG", Kind::kReg},
                  {"ENV", Kind::kEnv}, {"INI", Kind::kIni},   {"SHORTCUT", Kind::kShortcut}};
    size_t tab = line.find('\t');
    if (tab == std::string::npos)
        return Kind::kNone;
    for (const auto& entry : kKinds) {
        if (line.compare(0, tab, entry.word) == 0) {
            *rest = line.substr(tab + 1);
            return entry.kind;
        }
    }
    return Kind::kNone;
}
