// Input: a control byte (bits 0-1 mode, 2 a path, 3 no value before, 4 none at the undo), then
// zero-separated name, value before, text, undo record, value at the undo. A change is refused with
// a reason or its record round-trips and its undo gives the value back; an undo never deletes a
// variable that is not there nor writes what the record does not hold.
#include "system/EnvironmentValue.h"
#include "tests/fuzz/FuzzFields.h"

namespace {
using Value = std::optional<std::string>;
using Action = EnvironmentValue::UndoAction;
using Kind = EnvironmentValue::Kind;

void checkChange(const std::vector<std::string>& fields, int control) {
    Value before = (control & 8) ? Value() : fields[1];
    const EnvironmentValue::Mode modes[] = {
        EnvironmentValue::Mode::kReplace, EnvironmentValue::Mode::kAppend,
        EnvironmentValue::Mode::kInsert, EnvironmentValue::Mode::kReplace};
    auto change = EnvironmentValue::apply(fields[0], before, fields[2], modes[control & 3],
                                          (control & 4) != 0, nullptr);
    if (change.ok != (*change.failure == '\0') || (change.write && !change.ok))
        __builtin_trap();
    if (!change.ok)
        return;
    auto record = EnvironmentValue::parseRecord(change.record);
    if (!record || EnvironmentValue::formatRecord(*record) != change.record ||
        record->kind != change.kind)
        __builtin_trap();
    EnvironmentValue::Undo step = EnvironmentValue::undo(*record, change.value);
    Value undone = step.action == Action::Delete  ? Value()
                   : step.action == Action::Write ? Value(step.value)
                                                  : change.value;
    if (change.write &&
        (undone != before || EnvironmentValue::undo(*record, undone).action != Action::Nothing))
        __builtin_trap();
}

void checkRecord(const std::string& text, const Value& atUndo) {
    auto record = EnvironmentValue::parseRecord(text);
    if (!record)
        return;
    auto formatted = EnvironmentValue::formatRecord(*record);
    auto again = formatted ? EnvironmentValue::parseRecord(*formatted) : std::nullopt;
    if (formatted
            ? !again || again->kind != record->kind || again->name != record->name ||
                  again->oldValue != record->oldValue || again->newValue != record->newValue ||
                  again->entriesBefore != record->entriesBefore
            : text.find_first_of("\r\n") == std::string::npos)
        __builtin_trap();
    EnvironmentValue::Undo step = EnvironmentValue::undo(*record, atUndo);
    if ((step.action == Action::Delete && !atUndo) ||
        (step.action == Action::Write &&
         (!atUndo || record->kind == Kind::Create || record->kind == Kind::None ||
          (record->kind == Kind::Replace && step.value != record->oldValue) ||
          (record->kind == Kind::Add && step.value.size() >= atUndo->size()))))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    std::vector<std::string> fields = zeroSeparatedFields(data + 1, size - 1);
    fields.resize(5);
    checkChange(fields, data[0]);
    checkRecord(fields[3], (data[0] & 16) ? Value() : fields[4]);
    return 0;
}
