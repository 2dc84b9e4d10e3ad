#include "engine/ActionLogReader.h"

#include "engine/ActionLog.h"
#include "package/TextEncoding.h"

#include <cstdlib>
#include <cstring>

bool ActionLogReader::readWholeLine(std::FILE* stream, std::string& line, bool* whole,
                                    unsigned codePage) {
    line.clear();
    *whole = false;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            *whole = line.size() <= static_cast<size_t>(ActionLog::kMaxLine);
            if (*whole)
                *whole = TextEncoding::intoProcessCodePage(line, codePage);
            return true;
        }
        // Past the longest line the writer writes the rest is skipped, not kept.
        if (line.size() <= static_cast<size_t>(ActionLog::kMaxLine))
            line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

ActionLogReader::Kind ActionLogReader::kindOf(const std::string& line, std::string* rest) {
    static const struct {
        const char* word;
        Kind kind;
    } kKinds[] = {{"DIR", Kind::kDir}, {"FILE", Kind::kFile},         {"ENV", Kind::kEnv},
                  {"INI", Kind::kIni}, {"SHORTCUT", Kind::kShortcut}, {"END", Kind::kEnd}};
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

bool ActionLogReader::parseVariableCount(const std::string& line, int* count) {
    static const char kPrefix[] = "NUMVARS\t";
    if (line.compare(0, sizeof kPrefix - 1, kPrefix) != 0)
        return false;
    const char* digits = line.c_str() + sizeof kPrefix - 1;
    char* end = nullptr;
    long value = std::strtol(digits, &end, 10);
    if (end == digits || *end != '\0' || value < 0 || value > 0x7fffffffL)
        return false;
    *count = static_cast<int>(value);
    return true;
}

bool ActionLogReader::parseVariable(const std::string& line, Variable* variable) {
    static const char kPrefix[] = "VAR\t";
    if (line.compare(0, sizeof kPrefix - 1, kPrefix) != 0)
        return false;
    size_t nameStart = sizeof kPrefix - 1;
    size_t nameEnd = line.find('\t', nameStart);
    if (nameEnd == std::string::npos)
        nameEnd = line.size();
    if (nameEnd == nameStart)
        return false;
    variable->name = line.substr(nameStart, nameEnd - nameStart);
    variable->value = nameEnd < line.size() ? line.substr(nameEnd + 1) : std::string();
    return true;
}

unsigned ActionLogReader::readEncoding(std::FILE* stream) {
    std::string line;
    bool whole = false;
    std::string prefix = std::string(ActionLog::kEncoding) + "\t";
    // The line is ASCII in every code page; it is read as such.
    if (readWholeLine(stream, line, &whole, TextEncoding::processCodePage()) &&
        line.compare(0, prefix.size(), prefix) == 0)
        return whole ? TextEncoding::codePageNamed(line.substr(prefix.size())) : 0;
    std::fseek(stream, 0, SEEK_SET);
    return TextEncoding::systemAnsiCodePage();
}

bool ActionLogReader::readDescriptionPath(std::FILE* stream, std::string& path) {
    bool whole = false;
    unsigned codePage = readEncoding(stream);
    return readWholeLine(stream, path, &whole, codePage) && whole;
}

void ActionLogReader::readHeader(std::FILE* stream, Contents& contents, unsigned codePage) {
    std::string line;
    bool whole = false;
    if (!readWholeLine(stream, contents.descriptionPath, &whole, codePage) || !whole ||
        !readWholeLine(stream, contents.backupPath, &whole, codePage) || !whole)
        return;
    int count = 0;
    if (!readWholeLine(stream, line, &whole, codePage) || !whole ||
        !parseVariableCount(line, &count))
        return;
    for (int i = 0; i < count; ++i) {
        Variable variable;
        if (!readWholeLine(stream, line, &whole, codePage) || !whole ||
            !parseVariable(line, &variable))
            return;
        contents.variables.push_back(variable);
    }
    contents.headerWhole = true;
}

namespace {
// "CREATE|OVER|DONE TAB path" and "levels TAB folder"; what does not parse stays unparsed and is
// refused where it would be acted on.
void parseFields(ActionLogReader::Record& record) {
    using Step = ActionLogReader::FileStep;
    const std::string& fields = record.fields;
    size_t tab = fields.find('\t');
    if (tab == std::string::npos)
        return;
    std::string first = fields.substr(0, tab);
    if (record.kind == ActionLogReader::Kind::kFile) {
        record.step = first == "CREATE"               ? Step::kCreate
                      : first == "OVER"               ? Step::kOver
                      : first == ActionLog::kFileDone ? Step::kDone
                                                      : Step::kNone;
        if (record.step != Step::kNone)
            record.path = fields.substr(tab + 1);
    } else if (record.kind == ActionLogReader::Kind::kDir) {
        char* end = nullptr;
        long levels = std::strtol(first.c_str(), &end, 10);
        if (end != first.c_str() && *end == '\0' && levels >= 1 && levels <= 1000) {
            record.levels = static_cast<int>(levels);
            record.path = fields.substr(tab + 1);
        }
    }
}
} // namespace

void ActionLogReader::readRecords(std::FILE* stream, Contents& contents, unsigned codePage) {
    std::string line;
    bool whole = false;
    bool ended = false;
    int endCount = -1;
    while (readWholeLine(stream, line, &whole, codePage)) {
        Record record;
        if (whole)
            record.kind = kindOf(line, &record.fields);
        // Anything behind the closing record was not written by the run that closed it.
        if (record.kind == Kind::kNone || ended) {
            ++contents.damagedLines;
            continue;
        }
        if (record.kind == Kind::kEnd) {
            ended = true;
            char* end = nullptr;
            long count = std::strtol(record.fields.c_str(), &end, 10);
            bool number = end != record.fields.c_str() && *end == '\0' && count >= 0;
            endCount = number ? static_cast<int>(count) : -1;
            continue;
        }
        parseFields(record);
        contents.records.push_back(record);
    }
    contents.closed = contents.headerWhole && endCount >= 0 &&
                      static_cast<size_t>(endCount) == contents.records.size() &&
                      contents.damagedLines == 0;
}

ActionLogReader::Contents ActionLogReader::read(std::FILE* stream) {
    Contents contents;
    if (stream == nullptr || std::fseek(stream, 0, SEEK_SET) != 0)
        return contents;
    unsigned codePage = readEncoding(stream);
    readHeader(stream, contents, codePage);
    readRecords(stream, contents, codePage);
    return contents;
}
