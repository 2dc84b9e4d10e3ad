// The INI engine over arbitrary files, entries and undo records.
//
// Input: fields separated by zero bytes: the INI file's text, the section, the key, the value,
// the before-key, an INI undo record, and flags ("p": the value is a path). A missing key or
// value means none (IniFile::write then removes the key, or the section).
//
// What must hold:
// - the text of a parsed file is the file, byte for byte;
// - after IniFile::write sets a key of an entry that can be written as one line, the key reads
//   back with that value, also from the file's text parsed again;
// - IniChange::apply's record parses back to the record it described, and the undo gives the key
//   its old value back (or removes it); without a before-key the file comes back byte for byte
//   (a created key in a section that had to be added leaves only that section's header);
// - an undo record parses only when it is exactly the text its fields format to (or holds a line
//   end, which the undo refuses), and a REPLACE undone leaves the key with its old value.
// The file lies in this target's scratch folder (FuzzScratch.h), in memory where the system
// offers it; records name it in place of their own file.
#include "system/IniChange.h"
#include "system/IniFile.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"

#include "tests/fuzz/FuzzFields.h"
#include <cstdint>
#include <optional>

#include <string>
#include <vector>

namespace {
struct Input {
    std::string text, section;
    std::optional<std::string> key, value;
    std::string beforeKey, record;
    bool isPath = false;
};

Input split(const uint8_t* data, size_t size) {
    std::vector<std::string> fields = zeroSeparatedFields(data, size);
    size_t given = fields.size();
    fields.resize(7);
    Input input;
    input.text = fields[0];
    input.section = fields[1];
    if (given > 2)
        input.key = fields[2];
    if (given > 3)
        input.value = fields[3];
    input.beforeKey = fields[4];
    input.record = fields[5];
    input.isPath = fields[6].find('p') != std::string::npos;
    return input;
}

// An entry IniChange takes: one that reads back as the same section, key and value.
bool writable(const IniChange::Request& entry) {
    std::string all = entry.file + entry.section + entry.key + entry.value + entry.beforeKey;
    return !entry.section.empty() && !entry.key.empty() &&
           all.find_first_of("\r\n") == std::string::npos &&
           entry.section.find(']') == std::string::npos &&
           entry.key.find('=') == std::string::npos && entry.key[0] != ';' && entry.key[0] != '[';
}

IniFile parsed(const std::string& text) {
    IniFile file;
    file.parse(text);
    return file;
}

void checkRoundTrip(const std::string& text) {
    if (parsed(text).text() != text)
        __builtin_trap();
}

void checkWrite(const Input& input) {
    IniFile file = parsed(input.text);
    file.write(input.section, input.key, input.value, input.beforeKey);
    std::string after = file.text();
    checkRoundTrip(after);
    if (!input.key || !input.value ||
        !writable({"file", input.section, *input.key, *input.value, input.beforeKey, false}))
        return;
    if (file.valueOf(input.section, *input.key) != input.value ||
        parsed(after).valueOf(input.section, *input.key) != input.value)
        __builtin_trap();
}

bool sameRecord(const IniChange::Record& a, const IniChange::Record& b) {
    return a.kind == b.kind && a.file == b.file && a.section == b.section && a.key == b.key &&
           a.oldValue == b.oldValue && a.newValue == b.newValue;
}

std::optional<std::string> valueInFile(const std::string& path, const std::string& section,
                                       const std::string& key) {
    IniFile file;
    if (file.load(path) != IniFile::Status::Ok)
        __builtin_trap(); // the change or its undo wrote it
    return file.valueOf(section, key);
}

void checkChange(const Input& input, const std::string& path) {
    if (!input.key || !input.value)
        return;
    filebytes::writeAll(path, input.text);
    IniChange::Request request{path,         input.section,   *input.key,
                               *input.value, input.beforeKey, input.isPath};
    IniChange::Result change = IniChange::apply(request, nullptr);
    if (change.ok != (*change.failure == '\0'))
        __builtin_trap();
    if (!change.ok || change.record.kind == IniChange::Kind::None)
        return;
    std::optional<IniChange::Record> record = IniChange::parseRecord(change.text);
    if (!record || !sameRecord(*record, change.record) ||
        valueInFile(path, input.section, *input.key) != input.value)
        __builtin_trap();
    bool create = record->kind == IniChange::Kind::Create;
    bool sectionWasThere = parsed(input.text).hasSection(input.section);
    IniChange::UndoResult undo = IniChange::undo(*record);
    if (undo.outcome != IniChange::Outcome::Undone &&
        !(undo.outcome == IniChange::Outcome::NothingLeft && record->oldValue == *input.value))
        __builtin_trap();
    std::optional<std::string> expected;
    if (!create)
        expected = record->oldValue;
    if (valueInFile(path, input.section, *input.key) != expected)
        __builtin_trap();
    if (input.beforeKey.empty() && (!create || sectionWasThere) &&
        filebytes::readAll(path) != input.text)
        __builtin_trap();
}

void checkRecord(const Input& input, const std::string& path) {
    std::optional<IniChange::Record> record = IniChange::parseRecord(input.record);
    if (!record)
        return;
    // A line end in a field is no record the writer writes; the undo refuses it as an entry.
    std::optional<std::string> formatted = IniChange::formatRecord(*record);
    if (formatted ? *formatted != input.record
                  : input.record.find_first_of("\r\n") == std::string::npos)
        __builtin_trap();
    if (record->kind == IniChange::Kind::None)
        return;
    filebytes::writeAll(path, input.text);
    record->file = path;
    IniChange::UndoResult undo = IniChange::undo(*record);
    if (undo.outcome == IniChange::Outcome::Undone && record->kind == IniChange::Kind::Replace &&
        valueInFile(path, record->section, record->key) != record->oldValue)
        __builtin_trap();
}

// The engine's file-level lookups over the same file, into a small buffer.
void readBack(const Input& input, const std::string& path) {
    filebytes::writeAll(path, input.text);
    char buffer[64];
    const char* key = input.key ? input.key->c_str() : nullptr;
    for (const char* section : {static_cast<const char*>(nullptr), input.section.c_str()}) {
        int stored =
            IniFile::readIni(path.c_str(), section, key, "fallback", buffer, sizeof buffer);
        // A list ends in two zero bytes, a value in one; nothing lies beyond the buffer.
        if (stored >= static_cast<int>(sizeof buffer) || (stored > 0 && buffer[stored] != 0))
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path =
        fuzzscratch::prepare("Ini", fuzzscratch::Medium::kMemory) + "settings.ini";
    Input input = split(data, size);
    checkRoundTrip(input.text);
    checkWrite(input);
    checkChange(input, path);
    checkRecord(input, path);
    readBack(input, path);
    return 0;
}
