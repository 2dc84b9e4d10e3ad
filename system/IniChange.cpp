#include "system/IniChange.h"

#include "system/IniFile.h"
#include "system/RecordFields.h"

#include <vector>

namespace {
const char kNone[] = "NONE";
const char kCreate[] = "CREATE";
const char kReplace[] = "REPLACE";

// The record says what was about to be done, so that the failure can be told as that.
IniChange::Result failed(IniChange::Result result, const std::string& why) {
    result.ok = false;
    result.failure = why;
    return result;
}

IniChange::UndoResult undoFailed(const std::string& why) {
    return {IniChange::Outcome::Failed, why};
}

bool loadedOrMissing(IniFile::Status status) {
    return status == IniFile::Status::Ok || status == IniFile::Status::Missing;
}

std::string entryName(const std::string& section, const std::string& key) {
    return "\"" + key + "\" in [" + section + "]";
}

// Written as "?", a character would change the value for good, and the undo would not find it.
std::string encodingRefusal(const std::string& what, const IniFile& file, const std::string& path,
                            const std::string& why) {
    return what + " cannot be written to " + path + ": the file's encoding (" +
           file.encodingName() + ") " + why;
}

const char kCannotHold[] = "cannot hold its characters";
const char kReadsBackOtherwise[] = "would give bytes that read back as other text";

// The first part of the entry the file's encoding cannot hold, as a refusal; empty: none.
std::string encodingFault(const IniFile& file, const IniChange::Request& request) {
    std::string what;
    if (!file.canHold(request.section))
        what = "the section [" + request.section + "]";
    else if (!file.canHold(request.key))
        what = "the key " + entryName(request.section, request.key);
    else if (!file.canHold(request.value))
        what = "the value of " + entryName(request.section, request.key);
    return what.empty() ? what : encodingRefusal(what, file, request.file, kCannotHold);
}

// ANSI bytes that happen to be valid UTF-8 would read back as other characters.
bool encodes(const IniFile& file) {
    std::string bytes;
    return file.encode(&bytes) == IniFile::Status::Ok;
}
} // namespace

// The entry must come back from the file as the same section, key and value.
const char* IniChange::entryFault(const Request& request) {
    if (request.file.empty() || request.section.empty() || request.key.empty())
        return "the file, section or key is empty";
    std::string all = request.file + request.section + request.key + request.value;
    if ((all + request.beforeKey).find_first_of("\r\n") != std::string::npos)
        return "the entry holds a line end";
    if (request.section.find(']') != std::string::npos)
        return "the section name holds \"]\"";
    if (request.key.find('=') != std::string::npos || request.key[0] == ';' ||
        request.key[0] == '[')
        return "the key would not be read back as a key";
    return nullptr;
}

IniChange::Result IniChange::apply(const Request& request, DirectoryMatch::Probe probe,
                                   const RecordSink& record) {
    Result result;
    result.record = {Kind::None, request.file, request.section, request.key, "", request.value};
    if (const char* fault = entryFault(request))
        return failed(result, fault);
    IniFile file;
    IniFile::Status loaded = file.load(request.file);
    if (!loadedOrMissing(loaded))
        return failed(result, IniFile::describe(loaded));
    if (request.isPath) {
        for (const auto& entry : file.entriesOf(request.section)) {
            if (DirectoryMatch::same(entry.second, request.value, probe)) {
                result.ok = true;
                result.text = kNone;
                return result;
            }
        }
    }
    // A line "key=" is there as much as one with a value: the undo gives it back as it was.
    std::optional<std::string> old = file.valueOf(request.section, request.key);
    result.record.kind = old ? Kind::Replace : Kind::Create;
    result.record.oldValue = old.value_or("");
    std::optional<std::string> text = formatRecord(result.record);
    if (!text)
        return failed(result, "the action log could not hold the change exactly");
    std::string refusal = encodingFault(file, request);
    if (!refusal.empty())
        return failed(result, refusal);
    // Only in memory: what the file's encoding cannot take is refused before the record.
    file.write(request.section, request.key, request.value, request.beforeKey);
    if (!encodes(file))
        return failed(result,
                      encodingRefusal("the value of " + entryName(request.section, request.key),
                                      file, request.file, kReadsBackOtherwise));
    if (record && !record(*text))
        return failed(result, "the action log could not keep the change's record");
    IniFile::Status saved = file.save(request.file);
    if (saved != IniFile::Status::Ok)
        return failed(result, IniFile::describe(saved));
    result.ok = true;
    result.text = *text;
    return result;
}

IniChange::UndoResult IniChange::undo(const Record& record) {
    if (record.kind == Kind::None)
        return {Outcome::NothingLeft, ""};
    if (const char* fault = entryFault({record.file, record.section, record.key,
                                        record.oldValue + record.newValue, "", false}))
        return undoFailed(fault);
    bool create = record.kind == Kind::Create;
    IniFile file;
    IniFile::Status loaded = file.load(record.file);
    if (loaded == IniFile::Status::Missing)
        return {create ? Outcome::NothingLeft : Outcome::Left, ""};
    if (loaded != IniFile::Status::Ok)
        return undoFailed(IniFile::describe(loaded));
    std::optional<std::string> current = file.valueOf(record.section, record.key);
    if (create && !current)
        return {Outcome::NothingLeft, ""};
    if (!create && current == record.oldValue)
        return {Outcome::NothingLeft, ""};
    if (current != record.newValue)
        return {Outcome::Left, ""};
    std::optional<std::string> value;
    if (!create)
        value = record.oldValue;
    std::string what = (create ? "the removal of the key " : "the old value of ") +
                       entryName(record.section, record.key);
    if (value)
        file.allowUtf8For(*value);
    if (value && !file.canHold(*value))
        return undoFailed(encodingRefusal(what, file, record.file, kCannotHold));
    file.write(record.section, record.key, value, "");
    if (!encodes(file))
        return undoFailed(encodingRefusal(what, file, record.file, kReadsBackOtherwise));
    IniFile::Status saved = file.save(record.file);
    if (saved != IniFile::Status::Ok)
        return undoFailed(IniFile::describe(saved));
    return {Outcome::Undone, ""};
}

std::optional<std::string> IniChange::formatRecord(const Record& record) {
    switch (record.kind) {
    case Kind::None:
        return std::string(kNone);
    case Kind::Create:
        return RecordFields::join(
            {kCreate, record.file, record.section, record.key, record.newValue});
    case Kind::Replace:
        return RecordFields::join(
            {kReplace, record.file, record.section, record.key, record.oldValue, record.newValue});
    }
    return std::nullopt;
}

std::optional<IniChange::Record> IniChange::parseRecord(const std::string& text) {
    std::vector<std::string> fields = RecordFields::split(text);
    Record record;
    size_t expected = 0;
    if (fields[0] == kNone) {
        expected = 1;
    } else if (fields[0] == kCreate) {
        record.kind = Kind::Create;
        expected = 5;
    } else if (fields[0] == kReplace) {
        record.kind = Kind::Replace;
        expected = 6;
    }
    if (expected == 0 || fields.size() != expected)
        return std::nullopt;
    if (record.kind == Kind::None)
        return record;
    record.file = fields[1];
    record.section = fields[2];
    record.key = fields[3];
    record.newValue = fields.back();
    if (record.kind == Kind::Replace)
        record.oldValue = fields[4];
    if (record.file.empty() || record.section.empty() || record.key.empty())
        return std::nullopt;
    return record;
}
