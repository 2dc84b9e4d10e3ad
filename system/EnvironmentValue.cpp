#include "system/EnvironmentValue.h"

#include "system/RecordFields.h"

#include <algorithm>
#include <vector>

namespace {
const char kNoneWord[] = "NONE";
const char kCreateWord[] = "CREATE";
const char kReplaceWord[] = "REPLACE";
const char kAddWord[] = "ADD";

using Undo = EnvironmentValue::Undo;
using UndoAction = EnvironmentValue::UndoAction;

// Where an ADD record's text went: behind the list (";" first), in front of it (";" last), or
// it became the whole variable.
enum class Placement { Appended, Inserted, Created };

struct Addition {
    Placement placement = Placement::Created;
    std::string entry; // the added text without its separator
};

bool beginsOrEndsWithSeparator(const std::string& text) {
    return !text.empty() && (text.front() == ';' || text.back() == ';');
}

// Nothing for a text no change writes: a separator at both ends, or one left over.
std::optional<Addition> additionOf(const std::string& added) {
    Addition addition{Placement::Created, added};
    if (!added.empty() && added.front() == ';') {
        addition = {Placement::Appended, added.substr(1)};
    } else if (!added.empty() && added.back() == ';') {
        addition = {Placement::Inserted, added.substr(0, added.size() - 1)};
    }
    bool placed = addition.placement != Placement::Created;
    if ((placed && addition.entry.empty()) || beginsOrEndsWithSeparator(addition.entry))
        return std::nullopt;
    return addition;
}

std::string withoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

// Where `entry` stands in the list as a whole run of entries (a separator or an end on each
// side), first to last.
std::vector<size_t> entryPlaces(const std::string& list, const std::string& entry) {
    std::vector<size_t> places;
    for (size_t at = 0; at + entry.size() <= list.size();) {
        size_t end = at + entry.size();
        if (list.compare(at, entry.size(), entry) == 0 && (end == list.size() || list[end] == ';'))
            places.push_back(at);
        size_t separator = list.find(';', at);
        if (separator == std::string::npos)
            break;
        at = separator + 1;
    }
    return places;
}

size_t countEntries(const std::string& list, const std::string& entry) {
    return entryPlaces(list, entry).size();
}

// The entry goes with one separator beside it: the one in front for an appended entry (that is
// the one the change added), else the one behind; the only entry goes alone.
std::string withoutEntryAt(std::string list, size_t at, size_t length, bool separatorInFront) {
    size_t end = at + length;
    if (at > 0 && (separatorInFront || end == list.size()))
        return list.erase(at - 1, length + 1);
    if (end < list.size())
        return list.erase(at, length + 1);
    return list.erase(at, length);
}

Undo undoAddition(const Addition& addition, size_t entriesBefore,
                  const std::optional<std::string>& current) {
    if (!current)
        return {UndoAction::Nothing, ""};
    // It did not exist before the installation: holding only what was added, it goes.
    if (addition.placement == Placement::Created && *current == addition.entry)
        return {UndoAction::Delete, ""};
    if (addition.entry.empty() || countEntries(*current, addition.entry) <= entriesBefore)
        return {UndoAction::Nothing, ""};
    bool appended = addition.placement == Placement::Appended;
    std::vector<size_t> places = entryPlaces(*current, addition.entry);
    size_t at = appended ? places.back() : places.front();
    return {UndoAction::Write, withoutEntryAt(*current, at, addition.entry.size(), appended)};
}

EnvironmentValue::Change noChange() {
    EnvironmentValue::Change change;
    change.ok = true;
    change.record = kNoneWord;
    return change;
}
} // namespace

EnvironmentValue::Change EnvironmentValue::apply(const std::string& name,
                                                 const std::optional<std::string>& current,
                                                 const std::string& text, Mode mode, bool isPath,
                                                 DirectoryMatch::Probe probe) {
    Change change;
    if (name.empty()) {
        change.failure = "the variable has no name";
        return change;
    }
    if (mode != Mode::kReplace && beginsOrEndsWithSeparator(text)) {
        // Its record would read as another placement: the undo could not tell where it went.
        change.failure = "the added text begins or ends with \";\"";
        return change;
    }
    Record record{Kind::Add, name, "", text};
    change.value = text;
    if (mode == Mode::kReplace) {
        record = current ? Record{Kind::Replace, name, *current, text}
                         : Record{Kind::Create, name, "", text};
    } else if (current && (text.empty() || (isPath && listsFolder(*current, text, probe)))) {
        return noChange();
    } else if (current && mode == Mode::kAppend) {
        change.value = *current + ";" + text;
        record.newValue = ";" + text;
        record.entriesBefore = countEntries(*current, text);
    } else if (current) {
        change.value = text + ";" + *current;
        record.newValue = text + ";";
        record.entriesBefore = countEntries(*current, text);
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

EnvironmentValue::Undo EnvironmentValue::undo(const Record& record,
                                              const std::optional<std::string>& current) {
    switch (record.kind) {
    case Kind::None:
        break;
    case Kind::Create:
        if (!current)
            return {UndoAction::Nothing, ""};
        return {*current == record.newValue ? UndoAction::Delete : UndoAction::Left, ""};
    case Kind::Replace:
        if (current && *current == record.oldValue)
            return {UndoAction::Nothing, ""};
        if (current && *current == record.newValue)
            return {UndoAction::Write, record.oldValue};
        return {UndoAction::Left, ""};
    case Kind::Add:
        if (std::optional<Addition> addition = additionOf(record.newValue))
            return undoAddition(*addition, record.entriesBefore, current);
        return {UndoAction::Left, ""};
    }
    return {UndoAction::Nothing, ""};
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
        return RecordFields::join({kCreateWord, record.name, record.newValue});
    case Kind::Replace:
        return RecordFields::join({kReplaceWord, record.name, record.oldValue, record.newValue});
    case Kind::Add:
        return RecordFields::join(
            {kAddWord, record.name, record.newValue, std::to_string(record.entriesBefore)});
    }
    return std::nullopt;
}

std::optional<EnvironmentValue::Record> EnvironmentValue::parseRecord(const std::string& text) {
    std::vector<std::string> fields = RecordFields::split(text);
    Record record;
    size_t expected = 0;
    if (fields[0] == kNoneWord) {
        expected = 1;
    } else if (fields[0] == kCreateWord) {
        record.kind = Kind::Create;
        expected = 3;
    } else if (fields[0] == kReplaceWord) {
        record.kind = Kind::Replace;
        expected = 4;
    } else if (fields[0] == kAddWord) {
        record.kind = Kind::Add;
        expected = 4;
    }
    if (expected == 0 || fields.size() != expected)
        return std::nullopt;
    if (record.kind == Kind::None)
        return record;
    record.name = fields[1];
    record.newValue = fields[2];
    if (record.kind == Kind::Replace) {
        record.oldValue = fields[2];
        record.newValue = fields[3];
    }
    if (record.kind == Kind::Add) {
        const std::string& count = fields[3];
        // A count no list could hold is damage, as is anything but digits.
        if (count.empty() || count.size() > 6 ||
            count.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        record.entriesBefore = std::stoul(count);
    }
    if (record.name.empty() || (record.kind == Kind::Add && !additionOf(record.newValue)))
        return std::nullopt;
    return record;
}
