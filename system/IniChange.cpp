#include "system/IniChange.h"

#include "system/IniFile.h"
#include "system/RecordFields.h"

namespace {
const char kNone[] = "NONE";
const char kCreate[] = "CREATE";
const char kReplace[] = "REPLACE";

IniChange::Result failed(IniChange::Result result, const char* why) {
    result.ok = false;
    result.failure = why;
    return result;
}

IniChange::Result succeeded(IniChange::Result result, IniChange::Kind kind) {
    result.ok = true;
    result.kind = kind;
    return result;
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

IniChange::Result IniChange::apply(const Request& request, DirectoryMatch::Probe probe) {
    Result result;
    if (const char* fault = entryFault(request))
        return failed(result, fault);
    IniFile file;
    IniFile::Status loaded = file.load(request.file);
    if (loaded != IniFile::Status::Ok && loaded != IniFile::Status::Missing)
        return failed(result, IniFile::describe(loaded));
    result.fileExisted = loaded == IniFile::Status::Ok;
    result.sectionExisted = file.hasSection(request.section);
    if (request.isPath) {
        for (const auto& entry : file.entriesOf(request.section)) {
            if (DirectoryMatch::same(entry.second, request.value, probe)) {
                result.record = kNone;
                return succeeded(result, Kind::None);
            }
        }
    }
    result.oldValue = file.valueOf(request.section, request.key);
    bool hadValue = result.oldValue && !result.oldValue->empty();
    Record record{hadValue ? Kind::Replace : Kind::Create, request.file, request.section,
                  request.key, hadValue ? *result.oldValue : request.value};
    result.kind = record.kind;
    std::optional<std::string> text = formatRecord(record);
    if (!text)
        return failed(result, "the action log could not hold the change exactly");
    file.write(request.section, request.key, request.value, request.beforeKey);
    IniFile::Status saved = file.save(request.file);
    if (saved != IniFile::Status::Ok)
        return failed(result, IniFile::describe(saved));
    result.record = *text;
    return succeeded(result, record.kind);
}

IniChange::Result IniChange::undo(const Record& record) {
    Result result;
    result.kind = record.kind;
    if (record.kind != Kind::Create && record.kind != Kind::Replace)
        return succeeded(result, record.kind);
    Request entry{record.file, record.section, record.key, record.value, "", false};
    if (const char* fault = entryFault(entry))
        return failed(result, fault);
    IniFile file;
    IniFile::Status loaded = file.load(record.file);
    if (loaded != IniFile::Status::Ok && loaded != IniFile::Status::Missing)
        return failed(result, IniFile::describe(loaded));
    result.fileExisted = loaded == IniFile::Status::Ok;
    result.sectionExisted = file.hasSection(record.section);
    result.oldValue = file.valueOf(record.section, record.key);
    bool restore = record.kind == Kind::Replace;
    if (!restore && !result.fileExisted)
        return succeeded(result, record.kind);
    std::optional<std::string> value =
        restore ? std::optional<std::string>(record.value) : std::nullopt;
    if (!file.write(record.section, record.key, value, ""))
        return succeeded(result, record.kind);
    IniFile::Status saved = file.save(record.file);
    if (saved != IniFile::Status::Ok)
        return failed(result, IniFile::describe(saved));
    return succeeded(result, record.kind);
}

std::optional<std::string> IniChange::formatRecord(const Record& record) {
    if (record.kind == Kind::None)
        return std::string(kNone);
    if (record.kind == Kind::Other)
        return std::nullopt;
    const char* word = record.kind == Kind::Create ? kCreate : kReplace;
    return RecordFields::join({word, record.file, record.section, record.key, record.value});
}

std::optional<IniChange::Record> IniChange::parseRecord(const std::string& text) {
    std::vector<std::string> fields = RecordFields::split(text);
    Record record;
    if (fields[0] == kNone)
        return record;
    if (fields[0] != kCreate && fields[0] != kReplace) {
        record.kind = Kind::Other;
        return record;
    }
    // The log's reader strips a last TAB, and with it the empty value behind it.
    if (fields.size() != 4 && fields.size() != 5)
        return std::nullopt;
    record.kind = fields[0] == kCreate ? Kind::Create : Kind::Replace;
    record.file = fields[1];
    record.section = fields[2];
    record.key = fields[3];
    record.value = fields.size() == 5 ? fields[4] : std::string();
    if (record.file.empty() || record.section.empty() || record.key.empty())
        return std::nullopt;
    return record;
}
