// The INI engine over arbitrary files, entries and undo records. Input: zero-separated: the
// file's text, the section, the key, the value, the before-key, an undo record, flags ("p": a
// path). A missing key or value means none. A file parses back to its text byte for byte; a key
// written reads back; a change's record parses back to itself and its undo gives the key its old
// value (without a before-key, the file byte for byte, but for a section header the change had to
// add); an undo record parses only when it formats back to itself.
#include "system/IniChange.h"
#include "system/IniFile.h"
#include "tests/fuzz/FuzzFields.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"

#include <optional>
#include <sstream>
#include <strings.h>

namespace {
using Text = std::optional<std::string>;

IniFile parsed(const std::string& text) {
    IniFile file;
    file.parse(text);
    return file;
}

Text valueInFile(const std::string& path, const std::string& section, const std::string& key) {
    IniFile file;
    if (file.load(path) != IniFile::Status::Ok)
        __builtin_trap(); // the change or its undo wrote it
    return file.valueOf(section, key);
}

// Whether a header line names the section, in any letter case.
bool hasSection(const std::string& text, const std::string& section) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line[0] == '[' && line.find(']') == section.size() + 1 &&
            strncasecmp(line.c_str() + 1, section.c_str(), section.size()) == 0)
            return true;
    return false;
}

void checkWrite(const std::string& text, const std::string& section, const Text& key,
                const Text& value, const std::string& beforeKey) {
    IniFile file = parsed(text);
    file.write(section, key, value, beforeKey);
    if (parsed(file.text()).text() != file.text())
        __builtin_trap();
    // Only an entry that reads back as the same section, key and value.
    if (!key || !value || section.empty() || key->empty() ||
        (section + *key + *value + beforeKey).find_first_of("\r\n") != std::string::npos ||
        section.find(']') != std::string::npos || key->find('=') != std::string::npos ||
        (*key)[0] == ';' || (*key)[0] == '[')
        return;
    if (file.valueOf(section, *key) != value || parsed(file.text()).valueOf(section, *key) != value)
        __builtin_trap();
}

void checkChange(const std::string& path, const std::vector<std::string>& fields, bool isPath) {
    const std::string &text = fields[0], &section = fields[1], &key = fields[2];
    filebytes::writeAll(path, text);
    IniChange::Result change =
        IniChange::apply({path, section, key, fields[3], fields[4], isPath}, nullptr);
    if (change.ok != (*change.failure == '\0'))
        __builtin_trap();
    if (!change.ok || change.record.kind == IniChange::Kind::None)
        return;
    auto record = IniChange::parseRecord(change.text);
    const IniChange::Record& made = change.record;
    if (!record || record->kind != made.kind || record->file != made.file ||
        record->section != made.section || record->key != made.key ||
        record->oldValue != made.oldValue || record->newValue != made.newValue ||
        valueInFile(path, section, key) != fields[3])
        __builtin_trap();
    bool create = record->kind == IniChange::Kind::Create;
    bool sectionWasThere = hasSection(text, section);
    IniChange::UndoResult undo = IniChange::undo(*record);
    if (undo.outcome != IniChange::Outcome::Undone &&
        !(undo.outcome == IniChange::Outcome::NothingLeft && record->oldValue == fields[3]))
        __builtin_trap();
    if (valueInFile(path, section, key) != (create ? Text() : Text(record->oldValue)) ||
        (fields[4].empty() && (!create || sectionWasThere) && filebytes::readAll(path) != text))
        __builtin_trap();
}

void checkRecord(const std::string& path, const std::string& text, const std::string& input) {
    auto record = IniChange::parseRecord(input);
    if (!record)
        return;
    Text formatted = IniChange::formatRecord(*record);
    if (formatted ? *formatted != input : input.find_first_of("\r\n") == std::string::npos)
        __builtin_trap();
    if (record->kind == IniChange::Kind::None)
        return;
    filebytes::writeAll(path, text);
    record->file = path;
    if (IniChange::undo(*record).outcome == IniChange::Outcome::Undone &&
        record->kind == IniChange::Kind::Replace &&
        valueInFile(path, record->section, record->key) != record->oldValue)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzscratch::prepare("Ini") + "settings.ini";
    std::vector<std::string> fields = zeroSeparatedFields(data, size);
    size_t given = fields.size();
    fields.resize(7);
    Text key = given > 2 ? Text(fields[2]) : Text(), value = given > 3 ? Text(fields[3]) : Text();
    if (parsed(fields[0]).text() != fields[0])
        __builtin_trap();
    checkWrite(fields[0], fields[1], key, value, fields[4]);
    if (key && value)
        checkChange(path, fields, fields[6].find('p') != std::string::npos);
    checkRecord(path, fields[0], fields[5]);
    return 0;
}
