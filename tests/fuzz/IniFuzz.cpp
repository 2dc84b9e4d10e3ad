// Input, zero-separated: file text, section, key, value, before-key, undo record, flags ("p": a
// path). A file parses back byte for byte; a change is refused with a reason or sets the whole
// value with a record that round-trips and whose undo gives the old value back.
#include "system/IniChange.h"
#include "system/IniFile.h"
#include "tests/fuzz/FuzzFields.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"

#include <optional>

namespace {
using Text = std::optional<std::string>;

Text valueInFile(const std::string& path, const std::string& section, const std::string& key) {
    IniFile file;
    if (file.load(path) != IniFile::Status::Ok)
        __builtin_trap(); // the change or its undo wrote it
    return file.valueOf(section, key);
}

void checkChange(const std::string& path, const std::vector<std::string>& fields) {
    filebytes::writeAll(path, fields[0]);
    IniChange::Result change = IniChange::apply({path, fields[1], fields[2], fields[3], fields[4],
                                                 fields[6].find('p') != std::string::npos},
                                                nullptr);
    if (change.ok != change.failure.empty())
        __builtin_trap();
    if (!change.ok || change.record.kind == IniChange::Kind::None)
        return;
    auto record = IniChange::parseRecord(change.text);
    const IniChange::Record& made = change.record;
    if (!record || record->kind != made.kind || record->file != made.file ||
        record->section != made.section || record->key != made.key ||
        record->oldValue != made.oldValue || record->newValue != made.newValue ||
        valueInFile(path, fields[1], fields[2]) != fields[3])
        __builtin_trap();
    IniChange::undo(*record);
    bool create = record->kind == IniChange::Kind::Create;
    if (valueInFile(path, fields[1], fields[2]) != (create ? Text() : Text(record->oldValue)))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzscratch::prepare("Ini") + "settings.ini";
    std::vector<std::string> fields = zeroSeparatedFields(data, size);
    size_t given = fields.size();
    fields.resize(7);
    IniFile file;
    file.parse(fields[0]);
    if (file.text() != fields[0])
        __builtin_trap();
    file.write(fields[1], given > 2 ? Text(fields[2]) : Text(),
               given > 3 ? Text(fields[3]) : Text(), fields[4]);
    if (given > 3)
        checkChange(path, fields);
    auto record = IniChange::parseRecord(fields[5]);
    Text formatted = record ? IniChange::formatRecord(*record) : Text();
    if (record && (formatted ? *formatted != fields[5]
                             : fields[5].find_first_of("\r\n") == std::string::npos))
        __builtin_trap();
    return 0;
}
