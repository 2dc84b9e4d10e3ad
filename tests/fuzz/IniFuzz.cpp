// The INI engine over arbitrary files, entries and undo records.
//
// Input: zero-separated fields: the file's text, the section, the key, the value, the before-key,
// an INI undo record, and flags ("p": the value is a path). A missing key or value means none
// (IniFile::write then removes the key, or the section).
//
// What must hold: a parsed file's text is the file, byte for byte; a key set to a value that can
// be written as one line reads back with that value, also from the text parsed again;
// IniChange::apply's record parses back to what it described, and the undo gives the key its old
// value back (or removes it), and without a before-key the file byte for byte (a created key in a
// section that had to be added leaves that section's header); an undo record parses only when it
// is exactly the text its fields format to (or holds a line end, which the undo refuses), and a
// REPLACE undone leaves the key with its old value. The file lies in this target's scratch folder
// (FuzzScratch.h); records name it in place of their own file.
#include "system/IniChange.h"
#include "system/IniFile.h"
#include "tests/fuzz/FuzzFields.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

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

// Whether a header line names the section: the text up to its first "]", in any letter case.
bool hasSection(const std::string& text, const std::string& section) {
    auto same = [](char a, char b) { return std::tolower(a & 0xff) == std::tolower(b & 0xff); };
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        size_t end = line.find(']');
        if (line[0] == '[' && end == section.size() + 1 &&
            std::equal(section.begin(), section.end(), line.begin() + 1, same))
            return true;
    }
    return false;
}

// An entry that reads back as the same section, key and value.
bool writable(const std::string& section, const std::string& key, const std::string& rest) {
    return !section.empty() && !key.empty() &&
           (section + key + rest).find_first_of("\r\n") == std::string::npos &&
           section.find(']') == std::string::npos && key.find('=') == std::string::npos &&
           key[0] != ';' && key[0] != '[';
}

void checkWrite(const std::string& text, const std::string& section, const Text& key,
                const Text& value, const std::string& beforeKey) {
    IniFile file = parsed(text);
    file.write(section, key, value, beforeKey);
    if (parsed(file.text()).text() != file.text())
        __builtin_trap();
    if (key && value && writable(section, *key, *value + beforeKey) &&
        (file.valueOf(section, *key) != value ||
         parsed(file.text()).valueOf(section, *key) != value))
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
    if (valueInFile(path, section, key) != (create ? Text() : Text(record->oldValue)))
        __builtin_trap();
    if (fields[4].empty() && (!create || sectionWasThere) && filebytes::readAll(path) != text)
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
    static const std::string path = fuzzscratch::prepare("Ini", true) + "settings.ini";
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
