#include "system/EnvironmentValue.h"

#include <gtest/gtest.h>

namespace {
using Value = std::optional<std::string>;
const Value kAbsent;
constexpr int kAppend = EnvironmentValue::kAppend, kInsert = EnvironmentValue::kInsert,
              kReplace = EnvironmentValue::kReplace;
} // namespace

// A change the record could not say exactly (a TAB or line break, white space at an end, a ";" at
// an end of the added text) is refused and writes nothing.
TEST(EnvironmentValue, ApplyGivesTheNewValueAndItsRecordOrRefusesWhatTheRecordCannotSay) {
    const struct {
        Value current;
        const char* text;
        int mode;
        bool isPath;
        const char *value, *record; // null: nothing to write; null: refused
    } cases[] = {
        {"A;B", "D", kAppend, false, "A;B;D", "ADD\tP\t;D"},
        {"A;B", "D", kInsert, false, "D;A;B", "ADD\tP\tD;"},
        {kAbsent, "D", kInsert, true, "D", "ADD\tP\tD"},
        {"A;B", "D", kReplace, false, "D", "REPLACE\tP\tA;B"},
        {kAbsent, "D", kReplace, false, "D", "CREATE\tP"},
        {"A", "D", 4, false, nullptr, "NONE"},
        {"A", "", kInsert, false, nullptr, "NONE"},
        {"C:\\Win;\"c:\\apps\\\";X", "C:\\Apps", kAppend, true, nullptr, "NONE"},
        {"C:\\Win;C:\\Apps\\Tool\\bin", "\"C:\\Apps\"", kAppend, true,
         "C:\\Win;C:\\Apps\\Tool\\bin;\"C:\\Apps\"", "ADD\tP\t;\"C:\\Apps\""},
        {"A", "tab\there", kAppend, false, nullptr, nullptr},
        {"A", "cr\r", kInsert, false, nullptr, nullptr},
        {kAbsent, "lf\nx", kAppend, false, nullptr, nullptr},
        {"A", "space ", kAppend, false, nullptr, nullptr},
        {"old\tvalue", "D", kReplace, false, nullptr, nullptr},
        {"old ", "D", kReplace, false, nullptr, nullptr},
        {"A", "D;", kAppend, false, nullptr, nullptr},
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

TEST(EnvironmentValue, UndoOfAnAdditionRemovesOnlyWholeEntriesAndLeavesEveryOtherByte) {
    std::string longPath;
    while (longPath.size() < 4000)
        longPath += "C:\\Program Files\\Vendor " + std::to_string(longPath.size()) + "\\bin;";
    longPath += "C:\\Apps\\Tool\\bin";
    for (const std::string& current : {std::string("C:\\Win;C:\\Apps\\Tool\\bin"), longPath,
                                       std::string(";; spaced ;"), std::string()}) {
        for (int mode : {kAppend, kInsert}) {
            EnvironmentValue::Change change =
                EnvironmentValue::apply("PATH", current, "C:\\Apps", mode, true, nullptr);
            std::optional<EnvironmentValue::Record> record =
                EnvironmentValue::parseRecord(change.record);
            ASSERT_TRUE(record.has_value());
            EXPECT_EQ(EnvironmentValue::withoutAdded(change.value, record->value), current);
        }
    }
}

TEST(EnvironmentValue, UndoFindsAnAdditionThatMovedOnlyAsAWholeEntry) {
    struct Case {
        const char *current, *added, *restored;
    } const cases[] = {
        {"C:\\Apps\\Tool;C:\\Apps;X", ";C:\\Apps", "C:\\Apps\\Tool;X"},
        {"X;C:\\Apps", "C:\\Apps;", "X"},
        {"C:\\Win;C:\\Apps\\Tool\\bin", ";C:\\Apps", "C:\\Win;C:\\Apps\\Tool\\bin"},
        {"C:\\AppsX;Y", "C:\\Apps", "C:\\AppsX;Y"},
        {"C:\\Apps", "C:\\Apps", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnvironmentValue::withoutAdded(c.current, c.added), c.restored) << c.current;
}

TEST(EnvironmentValue, ParsesOnlyWholeRecords) {
    EXPECT_EQ(EnvironmentValue::parseRecord("REPLACE\tP")->value, "");
    EXPECT_EQ(EnvironmentValue::parseRecord("REG\tP")->kind, EnvironmentValue::Kind::Other);
    for (const char* damaged : {"ADD\t\tx", "CREATE\tP\tx", "ADD\tP\tx\ty", "REPLACE"})
        EXPECT_FALSE(EnvironmentValue::parseRecord(damaged).has_value()) << damaged;
}
