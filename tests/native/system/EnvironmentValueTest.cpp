#include "system/EnvironmentValue.h"

#include <gtest/gtest.h>

namespace {
using Value = std::optional<std::string>;
using Action = EnvironmentValue::UndoAction;
const Value kAbsent;
using Mode = EnvironmentValue::Mode;
constexpr Mode kAppend = Mode::kAppend, kInsert = Mode::kInsert, kReplace = Mode::kReplace;

EnvironmentValue::Undo undoRecord(const std::string& text, const Value& current) {
    std::optional<EnvironmentValue::Record> record = EnvironmentValue::parseRecord(text);
    EXPECT_TRUE(record.has_value()) << text;
    return record ? EnvironmentValue::undo(*record, current) : EnvironmentValue::Undo{};
}
} // namespace

// A change the record could not say exactly (a TAB or line break, a ";" at an end of an added
// text) is refused and writes nothing.
TEST(EnvironmentValue, ApplyGivesTheNewValueAndItsRecordOrRefusesWhatTheRecordCannotSay) {
    const struct {
        Value current;
        const char* text;
        Mode mode;
        bool isPath;
        const char *value, *record; // null: nothing to write; null: refused
    } cases[] = {
        {"A;B", "D", kAppend, false, "A;B;D", "ADD\tP\t;D\t0"},
        {"A;B", "D", kInsert, false, "D;A;B", "ADD\tP\tD;\t0"},
        {kAbsent, "D", kInsert, true, "D", "ADD\tP\tD\t0"},
        {"A;B", "D", kReplace, false, "D", "REPLACE\tP\tA;B\tD"},
        {"", "D", kReplace, false, "D", "REPLACE\tP\t\tD"},
        {"old ", "", kReplace, false, "", "REPLACE\tP\told \t"},
        {kAbsent, "D;", kReplace, false, "D;", "CREATE\tP\tD;"},
        {"A", "", kInsert, false, nullptr, "NONE"},
        {"C:\\Win;\"c:\\apps\\\";X", "C:\\Apps", kAppend, true, nullptr, "NONE"},
        {"C:\\Win;C:\\Apps\\Tool\\bin", "\"C:\\Apps\"", kAppend, true,
         "C:\\Win;C:\\Apps\\Tool\\bin;\"C:\\Apps\"", "ADD\tP\t;\"C:\\Apps\"\t0"},
        {"A", "space ", kAppend, false, "A;space ", "ADD\tP\t;space \t0"},
        {"A", "tab\there", kAppend, false, nullptr, nullptr},
        {"A", "cr\r", kInsert, false, nullptr, nullptr},
        {kAbsent, "lf\nx", kAppend, false, nullptr, nullptr},
        {"old\tvalue", "D", kReplace, false, nullptr, nullptr},
        {"A", "D;", kAppend, false, nullptr, nullptr},
        {kAbsent, ";D", kInsert, false, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        EnvironmentValue::Change change =
            EnvironmentValue::apply("P", c.current, c.text, c.mode, c.isPath, nullptr);
        EXPECT_EQ(change.ok, c.record != nullptr) << c.text;
        EXPECT_EQ(change.write, c.value != nullptr) << c.text;
        EXPECT_EQ(change.value, c.value ? c.value : change.value) << c.text;
        EXPECT_EQ(change.record, c.record ? c.record : change.record) << c.text;
        EXPECT_EQ(*change.failure == '\0', change.ok) << c.text;
    }
}

// Each row: the record, the variable at uninstall time, what the undo asks, the value written.
TEST(EnvironmentValue, UndoActsOnlyOnWhatIsStillOurs) {
    const struct {
        const char* record;
        Value current;
        Action action;
        const char* written;
    } rows[] = {
        {"CREATE\tP\tD", "D", Action::Delete, ""},
        {"CREATE\tP\tD", kAbsent, Action::Nothing, ""},
        {"CREATE\tP\tD", "user", Action::Left, ""},
        {"REPLACE\tP\told\tD", "D", Action::Write, "old"},
        {"REPLACE\tP\t\tD", "D", Action::Write, ""},
        {"REPLACE\tP\told\tD", "old", Action::Nothing, ""},
        {"REPLACE\tP\told\tD", "user", Action::Left, ""},
        {"REPLACE\tP\told\tD", kAbsent, Action::Left, ""},
        // Append takes the last copy: the user's own earlier one keeps its place.
        {"ADD\tP\t;D\t1", "D;X;D;Y", Action::Write, "D;X;Y"},
        // Run again, the user's own copy is not taken for ours.
        {"ADD\tP\t;D\t1", "D;X;Y", Action::Nothing, ""},
        // Insert takes the first: the user's own later one stays.
        {"ADD\tP\tD;\t1", "Y;D;X;D", Action::Write, "Y;X;D"},
        {"ADD\tP\t;A;B\t0", "X;A;B;Y", Action::Write, "X;Y"},
        {"ADD\tP\t;C:\\Apps\t0", "C:\\AppsX;C:\\Apps\\Tool", Action::Nothing, ""},
        {"ADD\tP\t;D\t0", kAbsent, Action::Nothing, ""},
        // Created by an Append: holding only our value, the variable goes.
        {"ADD\tP\tD\t0", "D", Action::Delete, ""},
        {"ADD\tP\tD\t0", "X;D;Y", Action::Write, "X;Y"},
        {"ADD\tP\tD\t0", "X", Action::Nothing, ""},
        {"ADD\tP\t\t0", "", Action::Delete, ""},
        {"ADD\tP\t\t0", "X", Action::Nothing, ""},
    };
    for (const auto& row : rows) {
        EnvironmentValue::Undo step = undoRecord(row.record, row.current);
        EXPECT_EQ(step.action, row.action) << row.record << " on " << row.current.value_or("-");
        EXPECT_EQ(step.value, row.written) << row.record << " on " << row.current.value_or("-");
    }
}

TEST(EnvironmentValue, ParsesOnlyWholeRecords) {
    EXPECT_EQ(EnvironmentValue::parseRecord("NONE")->kind, EnvironmentValue::Kind::None);
    for (const char* damaged :
         {"ADD\t\tx", "CREATE\tP", "REPLACE\tP\told", "ADD\tP\tx\ty", "REPLACE", "REG\tP",
          "NONE\tx", "ADD\tP\t;\t0", "ADD\tP\t;x;\t0", "ADD\tP\t;;x\t0", "CREATE\t\tv",
          "ADD\tP\t;x", "ADD\tP\t;x\t-1", ""})
        EXPECT_FALSE(EnvironmentValue::parseRecord(damaged).has_value()) << damaged;
}
