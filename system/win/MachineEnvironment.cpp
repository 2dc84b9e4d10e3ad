#include "system/MachineEnvironment.h"

#include "package/BoundedText.h"
#include "package/RunReporter.h"
#include "system/DirectoryMatch.h"
#include "system/EnvironmentValue.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"

#include <optional>
#include <string>

namespace {
const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

struct Prefixes {
    const char* done;
    const char* failed;
};
const Prefixes kCreate = {"Create ", "FAILED to create "};
const Prefixes kReplace = {"Replace ", "FAILED to replace "};
const Prefixes kAdd = {"Add to ", "FAILED to add to "};
const Prefixes kRestore = {"Restore ", "FAILED to restore "};
const Prefixes kRemove = {"Remove ", "FAILED to remove "};
const Prefixes kErase = {"Erase from ", "FAILED to erase from "};
// The user changed the variable since: it is theirs now, and that is no failure.
const Prefixes kLeft = {"Left ", "Left "};

using State = RegistryValue::State;
using Kind = EnvironmentValue::Kind;
using UndoAction = EnvironmentValue::UndoAction;

void report(RunReporter* ui, const Prefixes& prefixes, bool done, const std::string& name) {
    if (ui == nullptr)
        return;
    // Only shown: a name too long for the line is cut in the line alone.
    char line[512];
    boundedFormat(line, sizeof line, "%s%s", done ? prefixes.done : prefixes.failed, name.c_str());
    ui->report(line);
}

// A variable that is there but could not be read counts as existing: it is what a Replace
// would have replaced.
const Prefixes& changePrefixes(EnvironmentValue::Mode mode, State state) {
    if (mode != EnvironmentValue::Mode::kReplace)
        return kAdd;
    return state == State::Absent ? kCreate : kReplace;
}

const Prefixes& undoPrefixes(Kind kind) {
    if (kind == Kind::Replace)
        return kRestore;
    return kind == Kind::Create ? kRemove : kErase;
}

bool failChange(RunReporter* ui, EnvironmentValue::Mode mode, State state,
                const std::string& name) {
    report(ui, changePrefixes(mode, state), false, name);
    return false;
}

enum class UndoOutcome { Done, Left, Failed };

UndoOutcome carryOut(HKEY key, const char* name, DWORD type, const EnvironmentValue::Undo& step) {
    switch (step.action) {
    case UndoAction::Nothing:
        return UndoOutcome::Done;
    case UndoAction::Left:
        return UndoOutcome::Left;
    case UndoAction::Delete: {
        LONG status = RegDeleteValueA(key, name);
        bool gone = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
        return gone ? UndoOutcome::Done : UndoOutcome::Failed;
    }
    case UndoAction::Write:
        // The type stays what it is now, so an expandable string stays one.
        return RegistryValue::writeText(key, name, type, step.value) ? UndoOutcome::Done
                                                                     : UndoOutcome::Failed;
    }
    return UndoOutcome::Failed;
}

// The registry side of undoing one parsed record.
UndoOutcome undoInRegistry(const EnvironmentValue::Record& record) {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kEnvironmentKey, KEY_QUERY_VALUE | KEY_SET_VALUE))
        return UndoOutcome::Failed;
    const char* name = record.name.c_str();
    RegistryValue variable = RegistryValue::read(key.get(), name);
    // No string this engine writes: someone has made it something else since.
    if (variable.state == State::Unreadable)
        return UndoOutcome::Left;
    std::optional<std::string> current;
    if (variable.state == State::Text)
        current = variable.text;
    return carryOut(key.get(), name, variable.type, EnvironmentValue::undo(record, current));
}
} // namespace

bool MachineEnvironment::change(const char* name, const char* value, EnvironmentValue::Mode mode,
                                const RecordSink& record, RunReporter* ui, bool isPath) {
    std::string variableName = name != nullptr ? name : "";
    std::string text = value != nullptr ? value : "";
    if (ui != nullptr)
        ui->keepResponsive();

    RegistryKey key;
    if (variableName.empty() ||
        !key.open(HKEY_LOCAL_MACHINE, kEnvironmentKey, KEY_QUERY_VALUE | KEY_SET_VALUE))
        return failChange(ui, mode, State::Absent, variableName);
    RegistryValue variable = RegistryValue::read(key.get(), variableName.c_str());
    if (variable.state == State::Unreadable)
        return failChange(ui, mode, variable.state, variableName);
    std::optional<std::string> current;
    if (variable.state == State::Text)
        current = variable.text;

    EnvironmentValue::Change change = EnvironmentValue::apply(
        variableName, current, text, mode, isPath, &DirectoryMatch::isSameDirectory);
    if (!change.ok)
        return failChange(ui, mode, variable.state, variableName);
    if (!change.write)
        return record(change.record);
    // Recorded before it is made: a change the uninstall could not find in the log is not made.
    if (!record(change.record) ||
        !RegistryValue::writeText(key.get(), variableName.c_str(), variable.type, change.value))
        return failChange(ui, mode, variable.state, variableName);
    report(ui, changePrefixes(mode, variable.state), true, variableName);
    return true;
}

bool MachineEnvironment::undo(const char* record, RunReporter* ui) {
    std::optional<EnvironmentValue::Record> parsed =
        EnvironmentValue::parseRecord(record != nullptr ? record : "");
    // A damaged record names nothing that could be undone or reported.
    if (!parsed)
        return false;
    if (parsed->kind == Kind::None)
        return true;
    UndoOutcome outcome = undoInRegistry(*parsed);
    if (ui != nullptr)
        ui->keepResponsive();
    if (outcome == UndoOutcome::Left)
        report(ui, kLeft, true, parsed->name);
    else
        report(ui, undoPrefixes(parsed->kind), outcome == UndoOutcome::Done, parsed->name);
    return outcome != UndoOutcome::Failed;
}

void MachineEnvironment::broadcast() {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 1000, &answer);
}
