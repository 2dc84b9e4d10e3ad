#include "config/VariableStore.h"

#include "engine/ActionLog.h"

#include "package/BoundedText.h"
#include "package/Paths.h"
#include "startup/Log.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
// "VAR", a tab, a name, a tab, a value and the line end.
constexpr int kSectionLineSize = 8 + VariableStore::kNameSize + VariableStore::kValueSize;

// Reads one line into line[size] without its line end; false at the end of the stream or
// when the line does not fit (a cut line would carry a cut value).
bool readWholeLine(std::FILE* stream, char* line, int size) {
    if (std::fgets(line, size, stream) == nullptr)
        return false;
    size_t length = std::strlen(line);
    bool complete = length > 0 && line[length - 1] == '\n';
    return complete || std::feof(stream);
}

void trimTrailingWhiteSpace(char* line) {
    size_t length = std::strlen(line);
    while (length > 0 && std::isspace(static_cast<unsigned char>(line[length - 1])))
        line[--length] = '\0';
}

// "NUMVARS", a tab and a decimal count.
bool parseCountLine(const char* line, int* count) {
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

// "VAR", a tab, a non-empty name up to the next tab, then optionally a tab and a value up to
// the next tab.
bool parseVariableLine(char* line, const char** name, const char** value) {
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
    char* valueStart = after + 1;
    valueStart[std::strcspn(valueStart, "\t")] = '\0';
    *value = valueStart;
    return true;
}
} // namespace

int VariableStore::get(const char* name, char* out, int size) const {
    if (name == nullptr)
        return -1;
    for (int i = variables_.count() - 1; i >= 0; --i) {
        if (std::strcmp(variables_[i].name, name) != 0)
            continue;
        if (out != nullptr && size > 0) {
            std::memset(out, 0, static_cast<size_t>(size));
            copyText(out, size, variables_[i].value);
        }
        return i;
    }
    return -1;
}

int VariableStore::set(const char* name, const char* value) {
    if (name == nullptr)
        return -1;
    if (value == nullptr)
        value = "";
    Variable variable;
    std::memset(&variable, 0, sizeof variable);
    if (copyText(variable.name, sizeof variable.name, name) != 0 ||
        copyText(variable.value, sizeof variable.value, value) != 0)
        return -1;
    collapseSeparators(variable.value);
    int index = get(name, nullptr, 0);
    if (index >= 0) {
        variables_[index] = variable;
        return 0;
    }
    return variables_.append(variable) ? 0 : -1;
}

int VariableStore::expand(const char* text, char* out, int size) const {
    if (out == nullptr || size <= 0)
        return kTooLong;
    out[0] = '\0';
    if (text == nullptr)
        return kExpanded;
    int used = 0;
    while (*text != '\0') {
        if (*text != '[') {
            if (used == size - 1)
                return kTooLong;
            out[used++] = *text++;
            out[used] = '\0';
            continue;
        }
        const char* nameStart = text + 1;
        size_t nameLength = std::strcspn(nameStart, "]");
        // A longer name is never cut for the lookup: the cut name could be another variable.
        if (nameLength > static_cast<size_t>(kReferenceNameLimit))
            return kUndefined;
        char name[kReferenceNameLimit + 1];
        copyTextPiece(name, sizeof name, nameStart, static_cast<int>(nameLength));
        int index = get(name, nullptr, 0);
        if (index < 0)
            return kUndefined;
        if (appendText(out + used, size - used, variables_[index].value) != 0)
            return kTooLong;
        used += static_cast<int>(std::strlen(out + used));
        text = nameStart + nameLength;
        if (*text == ']')
            ++text;
    }
    return kExpanded;
}

int VariableStore::write(ActionLog& log) const {
    bool whole = log.writeVariableCount(variables_.count());
    for (int i = 0; i < variables_.count(); ++i) {
        if (!log.writeVariable(variables_[i].name, variables_[i].value))
            whole = false;
    }
    return whole ? 0 : -1;
}

int VariableStore::read(std::FILE* stream) {
    if (stream == nullptr)
        return -1;
    char line[kSectionLineSize];
    int announced = 0;
    if (!readWholeLine(stream, line, sizeof line))
        return -1;
    trimTrailingWhiteSpace(line);
    if (!parseCountLine(line, &announced))
        return -1;
    for (int i = 0; i < announced; ++i) {
        if (!readWholeLine(stream, line, sizeof line))
            return -1;
        trimTrailingWhiteSpace(line);
        const char* name = nullptr;
        const char* value = nullptr;
        if (!parseVariableLine(line, &name, &value))
            return -1;
        set(name, value);
    }
    return 0;
}
