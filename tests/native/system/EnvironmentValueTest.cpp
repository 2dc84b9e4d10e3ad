#include "system/EnvironmentValue.h"

#include <gtest/gtest.h>

namespace {
using Value = std::optional<std::string>;
const Value kAbsent;

struct ApplyCase {
    Value current;
    const char* text;
    int mode;
    bool isPath;
    const char* value; // null: nothing to write
    const char* record;
};

const ApplyCase kApplyCases[] = {
    {"A;B", "D", EnvironmentValue::kAppend, false, "A;B;D", "ADD\tP\t;D"},
    {"A;B", "D", EnvironmentValue::kInsert, false, "D;A;B", "ADD\tP\tD;"},
    {kAbsent, "D", EnvironmentValue::kInsert, true, "D", "ADD\tP\tD"},
    {"A;B", "D", EnvironmentValue::kReplace, false, "D", "REPLACE\tP\tA;B"},
    {kAbsent, "D", EnvironmentValue::kReplace, false, "D", "CREATE\tP"},
    {"A", "D", 4, false, nullptr, "NONE"},
    {"A", "", EnvironmentValue::kInsert, false, nullptr, "NONE"},
    {"C:\\Win;\"c:\\apps\\\";X", "C:\\Apps", EnvironmentValue::kAppend, true, nullptr, "NONE"},
    {"C:\\Win;C:\\Apps\\Tool\\bin", "\"C:\\Apps\"", EnvironmentValue::kAppend, true,
     "C:\\Win;C:\\Apps\\Tool\\bin;\"C:\\Apps\"", "ADD\tP\t;\"C:\\Apps\""},
};
} // namespace

TEST(EnvironmentValue, ApplyGivesTheNewValueAndItsRecord) {
    for (const ApplyCase& c : kApplyCases) {
        EnvironmentValue::Change change =
            EnvironmentValue::apply("P", c.current, c.text, c.mode, c.isPath, nullptr);
        EXPECT_TRUE(change.ok) << c.record;
        EXPECT_EQ(change.write, c.value != nullptr) << c.record;
        EXPECT_EQ(change.value, c.value ? c.value : change.value) << c.record;
        EXPECT_EQ(change.record, c.record);
    }
}

TEST(EnvironmentValue, UndoOfAnAdditionRemovesOnlyWholeEntriesAndLeavesEveryOtherByte) {
    std::string longPath;
    while (longPath.size() < 4000)
        longPath += "C:\\Program Files\\Vendor " + std::to_string(longPath.size()) + "\\bin;";
    longPath += "C:\\Apps\\Tool\\bin";
    for (const std::string& current : {std::string("C:\\Win;C:\\Apps\\Tool\\bin"), longPath,
                                       std::string(";; spaced ;"), std::string()}) {
        for (int mode : {EnvironmentValue::kAppend, EnvironmentValue::kInsert}) {
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
        const char* current;
        const char* added;
        const char* restored;
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

TEST(EnvironmentValue, ChangeTheRecordCannotSayExactlyIsNotMade) {
    struct Case {
        Value current;
        const char* text;
        int mode;
    } const cases[] = {
        {"A", "tab\there", EnvironmentValue::kAppend},   {"A", "cr\r", EnvironmentValue::kInsert},
        {kAbsent, "lf\nx", EnvironmentValue::kAppend},   {"A", "space ", EnvironmentValue::kAppend},
        {"old\tvalue", "D", EnvironmentValue::kReplace}, {"old ", "D", EnvironmentValue::kReplace},
        {"A", "D;", EnvironmentValue::kAppend},
    };
    for (const Case& c : cases) {
        EnvironmentValue::Change change =
            EnvironmentValue::apply("P", c.current, c.text, c.mode, false, nullptr);
        EXPECT_FALSE(change.ok || change.write) << c.text;
        EXPECT_STRNE(change.failure, "");
    }
}

TEST(EnvironmentValue, ParsesOnlyWholeRecords) {
    EXPECT_EQ(EnvironmentValue::parseRecord("REPLACE\tP")->value, "");
    EXPECT_EQ(EnvironmentValue::parseRecord("REG\tP")->kind, EnvironmentValue::Kind::Other);
    for (const char* damaged : {"ADD\t\tx", "CREATE\tP\tx", "ADD\tP\tx\ty", "REPLACE"})
        EXPECT_FALSE(EnvironmentValue::parseRecord(damaged).has_value()) << damaged;
}
