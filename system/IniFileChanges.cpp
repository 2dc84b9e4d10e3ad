#include "system/IniFileChanges.h"

#include "package/RunReporter.h"
#include "system/IniChange.h"

#include <string>

namespace {
using Kind = IniChange::Kind;
using Outcome = IniChange::Outcome;

// The prefix followed by "[section]/key in file", and ": " and the reason of a failure.
void report(RunReporter* ui, const char* prefix, const IniChange::Record& entry,
            const std::string& failure = std::string()) {
    if (ui == nullptr)
        return;
    ui->keepResponsive();
    std::string line = prefix + ("[" + entry.section + "]/" + entry.key + " in " + entry.file);
    if (!failure.empty())
        line += ": " + failure;
    ui->report(line.c_str());
}

const char* undoPrefix(Kind kind, Outcome outcome) {
    bool replace = kind == Kind::Replace;
    switch (outcome) {
    case Outcome::Undone:
    case Outcome::NothingLeft:
        return replace ? "Restore " : "Remove ";
    case Outcome::Left:
        return "Left ";
    case Outcome::Failed:
        break;
    }
    return replace ? "FAILED to restore " : "FAILED to remove ";
}

std::string textOf(const char* text) {
    return text != nullptr ? text : "";
}
} // namespace

bool IniFileChanges::change(const char* file, const char* section, const char* key,
                            const char* value, const RecordSink& record, RunReporter* ui,
                            bool isPath, const char* beforeKey) {
    if (ui != nullptr)
        ui->keepResponsive();
    IniChange::Request request{textOf(file),  textOf(section),   textOf(key),
                               textOf(value), textOf(beforeKey), isPath};
    // The record goes to the action log before the file is written.
    IniChange::Result result = IniChange::apply(request, DirectoryMatch::isSameDirectory, record);
    Kind kind = result.record.kind;
    if (result.ok && kind == Kind::None)
        return record(result.text);
    bool replace = kind == Kind::Replace;
    if (result.ok)
        report(ui, replace ? "Replace " : "Create ", result.record);
    else
        report(ui, replace ? "FAILED to replace " : "FAILED to create ", result.record,
               result.failure);
    return result.ok;
}

bool IniFileChanges::undo(const char* record, RunReporter* ui) {
    std::optional<IniChange::Record> parsed = IniChange::parseRecord(textOf(record));
    if (!parsed)
        return false;
    if (parsed->kind == Kind::None)
        return true;
    IniChange::UndoResult undone = IniChange::undo(*parsed);
    report(ui, undoPrefix(parsed->kind, undone.outcome), *parsed, undone.failure);
    return undone.outcome != Outcome::Failed;
}
