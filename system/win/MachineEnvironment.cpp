#include "system/MachineEnvironment.h"

#include "package/BoundedText.h"
#include "system/DirectoryMatch.h"
#include "system/EnvironmentValue.h"
#include "system/RegistryKey.h"
#include "system/RegistryValue.h"
#include "ui/InstallerUI.h"

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

using State = RegistryValue::State;
using Kind = EnvironmentValue::Kind;

void report(InstallerUI* ui, const Prefixes& prefixes, bool done, const std::string& name) {
    if (ui == nullptr)
        return;
    // Only shown: a name too long for the line is cut in the line alone.
    char line[512];
    boundedFormat(line, sizeof line, "%s%s", done ? prefixes.done : prefixes.failed, name.c_str());
    ui->reportLine(0, 0, line, 0, 0);
}

// A variable that is there but could not be read counts as existing: it is what a Replace
// would have replaced.
const Prefixes& changePrefixes(int mode, State state) {
    if (mode != EnvironmentValue::kReplace)
        return kAdd;
    return state == State::Absent ? kCreate : kReplace;
}

const Prefixes& undoPrefixes(Kind kind) {
    if (kind == Kind::Replace)
        return kRestore;
    return kind == Kind::Create ? kRemove : kErase;
}

bool putRecord(const std::string& text, char* record, int capacity) {
    if (record == nullptr || capacity <= 0 || text.size() >= static_cast<size_t>(capacity))
        return false;
    return copyText(record, capacity, text.c_str()) == 0;
}

int failChange(InstallerUI* ui, int mode, State state, const std::string& name) {
    report(ui, changePrefixes(mode, state), false, name);
    return 0;
}

// The registry side of undoing one parsed record; true when it is done.
bool undoInRegistry(HKEY key, const EnvironmentValue::Record& record) {
    const char* name = record.name.c_str();
    RegistryValue variable = RegistryValue::read(key, name);
    // What someone has since made something else than a string is no longer ours to touch.
    if (variable.state == State::Unreadable)
        return false;
    if (record.kind == Kind::Create) {
        LONG status = RegDeleteValueA(key, name);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    // The type stays what the change left, so an expandable string stays one.
    if (record.kind == Kind::Replace)
        return RegistryValue::writeText(key, name, variable.type, record.value);
    if (variable.state == State::Absent)
        return false;
    std::string value = EnvironmentValue::withoutAdded(variable.text, record.value);
    return value == variable.text || RegistryValue::writeText(key, name, variable.type, value);
}
} // namespace

int MachineEnvironment::change(const char* name, const char* value, int mode, char* record,
                               int capacity, InstallerUI* ui, int isPath) {
    std::string variableName = name != nullptr ? name : "";
    std::string text = value != nullptr ? value : "";
    if (record != nullptr && capacity > 0)
        record[0] = '\0';
    if (mode != EnvironmentValue::kReplace && mode != EnvironmentValue::kAppend &&
        mode != EnvironmentValue::kInsert) {
        EnvironmentValue::Change none =
            EnvironmentValue::apply(variableName, std::nullopt, text, mode, false, nullptr);
        return putRecord(none.record, record, capacity) ? 1 : 0;
    }
    if (ui != nullptr)
        ui->processEvents(0, 0, 0, 0);

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
        variableName, current, text, mode, isPath != 0, &DirectoryMatch::isSameDirectory);
    if (!change.ok)
        return failChange(ui, mode, variable.state, variableName);
    if (!change.write)
        return putRecord(change.record, record, capacity) ? 1 : 0;
    // A change the uninstall could not find in the log is not made: the record must fit first.
    if (!putRecord(change.record, record, capacity) ||
        !RegistryValue::writeText(key.get(), variableName.c_str(), variable.type, change.value)) {
        if (record != nullptr && capacity > 0)
            record[0] = '\0';
        return failChange(ui, mode, variable.state, variableName);
    }
    report(ui, changePrefixes(mode, variable.state), true, variableName);
    return 1;
}

int MachineEnvironment::undo(const char* record, InstallerUI* ui) {
    std::optional<EnvironmentValue::Record> parsed =
        EnvironmentValue::parseRecord(record != nullptr ? record : "");
    // A damaged record names nothing that could be undone or reported.
    if (!parsed)
        return 0;
    if (parsed->kind != Kind::Replace && parsed->kind != Kind::Create && parsed->kind != Kind::Add)
        return 1;
    RegistryKey key;
    bool done = key.open(HKEY_LOCAL_MACHINE, kEnvironmentKey, KEY_QUERY_VALUE | KEY_SET_VALUE) &&
                undoInRegistry(key.get(), *parsed);
    if (ui != nullptr)
        ui->processEvents(0, 0, 0, 0);
    report(ui, undoPrefixes(parsed->kind), done, parsed->name);
    return done ? 1 : 0;
}

int MachineEnvironment::broadcast() {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>("Environment"), SMTO_ABORTIFHUNG, 1000, &answer);
    return 1;
}
