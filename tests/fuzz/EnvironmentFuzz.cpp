// The value side of the environment changes: EnvironmentValue::apply, undo, parseRecord and
// formatRecord over arbitrary names, values, texts and records.
//
// Input: one control byte, then fields separated by zero bytes: the variable's name, its value
// before the change, the text to set or add, an undo record, and the variable's value when that
// record is undone. Control bits: 0-1 the mode (0 is no mode), 2 the text is a path, 3 the
// variable does not exist before the change, 4 it does not exist when the record is undone.
//
// What must hold:
// - a change that is made leaves a record that parses back to itself, and a change refused says
//   why;
// - undoing that record on the value the change wrote gives the value before (or no variable),
//   and undoing it once more changes nothing;
// - an arbitrary record that parses formats to a text that parses to the same record (or holds a
//   line end, which no record may); undoing it on any value writes back only what it may: the
//   old value of a REPLACE, or the list without one entry of an ADD.
#include "system/EnvironmentValue.h"

#include "tests/fuzz/FuzzFields.h"
#include <cstdint>
#include <optional>

#include <string>
#include <vector>

namespace {
using Value = std::optional<std::string>;
using Action = EnvironmentValue::UndoAction;
using Kind = EnvironmentValue::Kind;

struct Input {
    int mode = 0;
    bool isPath = false;
    std::string name, text, record;
    Value before, atUndo;
};

Input split(const uint8_t* data, size_t size) {
    Input input;
    if (size == 0)
        return input;
    std::vector<std::string> fields = zeroSeparatedFields(data + 1, size - 1);
    fields.resize(5);
    input.mode = data[0] & 3;
    input.isPath = (data[0] & 4) != 0;
    input.name = fields[0];
    if ((data[0] & 8) == 0)
        input.before = fields[1];
    input.text = fields[2];
    input.record = fields[3];
    if ((data[0] & 16) == 0)
        input.atUndo = fields[4];
    return input;
}

// The variable once the undo step has been carried out.
Value after(const EnvironmentValue::Undo& step, const Value& current) {
    if (step.action == Action::Delete)
        return std::nullopt;
    return step.action == Action::Write ? Value(step.value) : current;
}

bool sameRecord(const EnvironmentValue::Record& a, const EnvironmentValue::Record& b) {
    return a.kind == b.kind && a.name == b.name && a.oldValue == b.oldValue &&
           a.newValue == b.newValue && a.entriesBefore == b.entriesBefore;
}

void checkChange(const Input& input) {
    EnvironmentValue::Change change = EnvironmentValue::apply(input.name, input.before, input.text,
                                                              input.mode, input.isPath, nullptr);
    if (change.ok != (*change.failure == '\0') || (change.write && !change.ok))
        __builtin_trap();
    if (!change.ok)
        return;
    std::optional<EnvironmentValue::Record> record = EnvironmentValue::parseRecord(change.record);
    if (!record || EnvironmentValue::formatRecord(*record) != change.record ||
        record->kind != change.kind)
        __builtin_trap();
    if (!change.write)
        return;
    Value undone = after(EnvironmentValue::undo(*record, change.value), change.value);
    if (undone != input.before || EnvironmentValue::undo(*record, undone).action != Action::Nothing)
        __builtin_trap();
}

void checkRecord(const Input& input) {
    std::optional<EnvironmentValue::Record> record = EnvironmentValue::parseRecord(input.record);
    if (!record)
        return;
    std::optional<std::string> formatted = EnvironmentValue::formatRecord(*record);
    if (!formatted) {
        if (input.record.find_first_of("\r\n") == std::string::npos)
            __builtin_trap();
        return;
    }
    std::optional<EnvironmentValue::Record> again = EnvironmentValue::parseRecord(*formatted);
    if (!again || !sameRecord(*record, *again))
        __builtin_trap();
    EnvironmentValue::Undo step = EnvironmentValue::undo(*record, input.atUndo);
    if (step.action == Action::Write) {
        if (!input.atUndo || record->kind == Kind::Create || record->kind == Kind::None)
            __builtin_trap();
        if (record->kind == Kind::Replace && step.value != record->oldValue)
            __builtin_trap();
        if (record->kind == Kind::Add) {
            // One entry goes, with at most one separator beside it.
            const std::string& added = record->newValue;
            bool placed = !added.empty() && (added.front() == ';' || added.back() == ';');
            size_t entry = added.size() - (placed ? 1 : 0);
            size_t removed = input.atUndo->size() - step.value.size();
            if (step.value.size() > input.atUndo->size() || removed < entry || removed > entry + 1)
                __builtin_trap();
        }
    }
    if (step.action == Action::Delete && !input.atUndo)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input = split(data, size);
    checkChange(input);
    checkRecord(input);
    return 0;
}
