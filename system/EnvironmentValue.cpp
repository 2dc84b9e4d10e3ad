#include "system/EnvironmentValue.h"

#include "system/RecordFields.h"

#include <algorithm>
#include <vector>

namespace {
const char kNoneWord[] = "NONE";
const char kCreateWord[] = "CREATE";
const char kReplaceWord[] = "REPLACE";
const char kAddWord[] = "ADD";

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string withoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

// Removes the first occurrence of `entry` that is a whole run of list entries, with one of the
// separators beside it.
std::string withoutEntry(std::string list, const std::string& entry) {
    for (size_t at = list.find(entry); at != std::string::npos; at = list.find(entry, at + 1)) {
        size_t end = at + entry.size();
        bool startsEntry = at == 0 || list[at - 1] == ';';
        bool endsEntry = end == list.size() || list[end] == ';';
        if (!startsEntry || !endsEntry)
            continue;
        if (end < list.size())
            return list.erase(at, entry.size() + 1);
        return at > 0 ? list.erase(at - 1, entry.size() + 1) : std::string();
    }
    return list;
}
} // namespace

EnvironmentValue::Change EnvironmentValue::apply(const std::string& name,
                                                 const std::optional<std::string>& current,
                                                 const std::string& text, int mode, bool isPath,
                                                 DirectoryMatch::Probe probe) {
    Change change;
    if (mode != kReplace && mode != kAppend && mode != kInsert) {
        change.ok = true;
        change.record = kNoneWord;
        return change;
    }
    if (name.empty()) {
        change.failure = "the variable has no name";
        return change;
    }
    Record record{Kind::Add, name, text};
    change.value = text;
    bool adding = mode != kReplace && current;
    if (adding && !text.empty() && (text.front() == ';' || text.back() == ';')) {
        // Its record would read the same for Append and Insert: the undo could not tell where.
        change.failure = "the added text begins or ends with \";\"";
        return change;
    }
    if (mode == kReplace) {
        record = current ? Record{Kind::Replace, name, *current} : Record{Kind::Create, name, ""};
    } else if (adding && (text.empty() || (isPath && listsFolder(*current, text, probe)))) {
        change.ok = true;
        change.record = kNoneWord;
        return change;
    } else if (current && mode == kAppend) {
        change.value = *current + ";" + text;
        record.value = ";" + text;
    } else if (current) {
        change.value = text + ";" + *current;
        record.value = text + ";";
    }
    change.kind = record.kind;
    std::optional<std::string> formatted = formatRecord(record);
    if (!formatted) {
        change.failure = "the action log could not hold the change exactly";
        return change;
    }
    change.ok = change.write = true;
    change.record = *formatted;
    return change;
}

std::string EnvironmentValue::withoutAdded(const std::string& current, const std::string& added) {
    if (added.empty())
        return current;
    bool appended = added.front() == ';';
    bool inserted = added.back() == ';';
    if (appended && endsWith(current, added))
        return current.substr(0, current.size() - added.size());
    if (inserted && startsWith(current, added))
        return current.substr(added.size());
    if (current == added)
        return std::string();
    // Moved since it was added: it still goes only as whole entries.
    std::string entry = added;
    if (appended)
        entry.erase(0, 1);
    else if (inserted)
        entry.pop_back();
    return entry.empty() ? current : withoutEntry(current, entry);
}

bool EnvironmentValue::listsFolder(const std::string& list, const std::string& folder,
                                   DirectoryMatch::Probe probe) {
    std::string wanted = withoutQuotes(folder);
    size_t start = 0;
    while (start <= list.size()) {
        size_t stop = list.find(';', start);
        if (stop == std::string::npos)
            stop = list.size();
        std::string entry = withoutQuotes(list.substr(start, stop - start));
        if (!entry.empty() && DirectoryMatch::same(entry, wanted, probe))
            return true;
        start = stop + 1;
    }
    return false;
}

std::optional<std::string> EnvironmentValue::formatRecord(const Record& record) {
    switch (record.kind) {
    case Kind::None:
        return std::string(kNoneWord);
    case Kind::Create:
        return RecordFields::join({kCreateWord, record.name});
    case Kind::Replace:
        return RecordFields::join({kReplaceWord, record.name, record.value});
    case Kind::Add:
        return RecordFields::join({kAddWord, record.name, record.value});
    case Kind::Other:
        break;
    }
    return std::nullopt;
}

std::optional<EnvironmentValue::Record> EnvironmentValue::parseRecord(const std::string& text) {
    std::vector<std::string> fields = RecordFields::split(text);
    Record record;
    if (fields[0] == kCreateWord)
        record.kind = Kind::Create;
    else if (fields[0] == kReplaceWord)
        record.kind = Kind::Replace;
    else if (fields[0] == kAddWord)
        record.kind = Kind::Add;
    else
        record.kind = fields[0] == kNoneWord ? Kind::None : Kind::Other;
    if (record.kind == Kind::None || record.kind == Kind::Other)
        return record;
    // The log's reader strips a last TAB, and with it an empty value behind it.
    size_t most = record.kind == Kind::Create ? 2 : 3;
    if (fields.size() < 2 || fields.size() > most || fields[1].empty())
        return std::nullopt;
    record.name = fields[1];
    record.value = fields.size() == 3 ? fields[2] : std::string();
    return record;
}
