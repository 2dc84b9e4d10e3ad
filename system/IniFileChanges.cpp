#include "system/IniFileChanges.h"

#include "package/BoundedText.h"
#include "system/IniChange.h"
#include "ui/InstallerUI.h"

#include <string>

namespace {
// The prefix followed by "[section]/key in file"; only shown, so a long one may be cut.
void report(InstallerUI* ui, const char* prefix, const IniChange::Record& entry) {
    if (ui == nullptr)
        return;
    ui->processEvents(0, 0, 0, 0);
    char line[512];
    boundedFormat(line, sizeof line, "%s[%s]/%s in %s", prefix, entry.section.c_str(),
                  entry.key.c_str(), entry.file.c_str());
    ui->reportLine(0, 0, line, 0, 0);
}

std::string textOf(const char* text) {
    return text != nullptr ? text : "";
}
} // namespace

int IniFileChanges::change(const char* file, const char* section, const char* key,
                           const char* value, int mode, char* record, int capacity, InstallerUI* ui,
                           int isPath, const char* beforeKey) {
    if (mode != 1)
        return 1;
    if (ui != nullptr)
        ui->processEvents(0, 0, 0, 0);
    IniChange::Request request{textOf(file),  textOf(section),   textOf(key),
                               textOf(value), textOf(beforeKey), isPath != 0};
    IniChange::Result result = IniChange::apply(request, DirectoryMatch::isSameDirectory);
    bool recorded = result.ok && copyText(record, capacity, result.record.c_str()) == 0;
    IniChange::Record entry{result.kind, request.file, request.section, request.key,
                            result.oldValue.value_or(request.value)};
    if (result.ok && !recorded && result.kind != IniChange::Kind::None) {
        // A change the action log cannot hold whole could never be undone: it is taken back.
        IniChange::undo(entry);
    }
    if (result.kind == IniChange::Kind::None && result.ok)
        return recorded ? 1 : 0;
    bool replace = result.kind == IniChange::Kind::Replace;
    if (recorded)
        report(ui, replace ? "Replace " : "Create ", entry);
    else
        report(ui, replace ? "FAILED to replace " : "FAILED to create ", entry);
    return recorded ? 1 : 0;
}

int IniFileChanges::undo(const char* record, InstallerUI* ui) {
    std::optional<IniChange::Record> parsed = IniChange::parseRecord(textOf(record));
    if (!parsed)
        return 0;
    if (parsed->kind != IniChange::Kind::Create && parsed->kind != IniChange::Kind::Replace)
        return 1;
    bool undone = IniChange::undo(*parsed).ok;
    bool replace = parsed->kind == IniChange::Kind::Replace;
    const char* prefix = replace ? (undone ? "Restore " : "FAILED to restore ")
                                 : (undone ? "Remove " : "FAILED to remove ");
    report(ui, prefix, *parsed);
    return undone ? 1 : 0;
}
