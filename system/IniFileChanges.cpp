#include "system/IniFileChanges.h"

#include "package/BoundedText.h"
#include "package/RunReporter.h"
#include "system/IniChange.h"

#include <string>

namespace {
using Kind = IniChange::Kind;
using Outcome = IniChange::Outcome;

// The prefix followed by "[section]/key in file"; only shown, so a long one may be cut.
void report(RunReporter* ui, const char* prefix, const IniChange::Record& entry) {
    if (ui == nullptr)
        return;
    ui->keepResponsive();
    char line[512];
    boundedFormat(line, sizeof line, "%s[%s]/%s in %s", prefix, entry.section.c_str(),
                  entry.key.c_str(), entry.file.c_str());
    ui->report(line);
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

int IniFileChanges::change(const char* file, const char* section, const char* key,
                           const char* value, int mode, const RecordSink& record, RunReporter* ui,
                           int isPath, const char* beforeKey) {
    if (mode != 1)
        return 1;
    if (ui != nullptr)
        ui->keepResponsive();
    IniChange::Request request{textOf(file),  textOf(section),   textOf(key),
                               textOf(value), textOf(beforeKey), isPath != 0};
    // The record goes to the action log before the file is written.
    IniChange::Result result = IniChange::apply(request, DirectoryMatch::isSameDirectory, record);
    Kind kind = result.record.kind;
    if (result.ok && kind == Kind::None)
        return record(result.text) ? 1 : 0;
    bool replace = kind == Kind::Replace;
    if (result.ok)
        report(ui, replace ? "Replace " : "Create ", result.record);
    else
        report(ui, replace ? "FAILED to replace " : "FAILED to create ", result.record);
    return result.ok ? 1 : 0;
}

int IniFileChanges::undo(const char* record, RunReporter* ui) {
    std::optional<IniChange::Record> parsed = IniChange::parseRecord(textOf(record));
    if (!parsed)
        return 0;
    if (parsed->kind == Kind::None)
        return 1;
    IniChange::UndoResult undone = IniChange::undo(*parsed);
    report(ui, undoPrefix(parsed->kind, undone.outcome), *parsed);
    return undone.outcome == Outcome::Failed ? 0 : 1;
}
