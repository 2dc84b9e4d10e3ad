#include "system/IniChange.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

namespace {
const std::string kLong(10000, 'v');

// The record as it stands behind "<file>\tA\t<key>\t"; an empty afterUndo: the original file.
struct RoundTrip {
    std::string file;
    const char* key;
    std::string value;
    const char* beforeKey;
    std::string record, afterUndo;
};

const RoundTrip kRoundTrips[] = {
    {"[A]\r\nk=old\r\n[B]\ny=1\n", "k", "new", "", "REPLACE\told", ""},
    {"[A]\nx=1\n; c\n", "k", "C:\\Apps", "x", "CREATE\tC:\\Apps", ""},
    {"[A]\nk=" + kLong + "\n", "k", "short", "", "REPLACE\t" + kLong, ""},
    // An empty value counts as none: the undo removes the key rather than restore "k=".
    {"[A]\nk=\nj=2", "k", "v", "", "CREATE\tv", "[A]\nj=2"},
};
} // namespace

TEST(IniChange, UndoGivesBackTheFileByteForByte) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    for (const RoundTrip& c : kRoundTrips) {
        writeAll(path, c.file);
        IniChange::Result made =
            IniChange::apply({path, "A", c.key, c.value, c.beforeKey, false}, nullptr);
        ASSERT_TRUE(made.ok) << made.failure;
        std::string kindAndValue = c.record.substr(0, c.record.find('\t'));
        std::string expected =
            kindAndValue + "\t" + path + "\tA\t" + c.key + c.record.substr(kindAndValue.size());
        EXPECT_EQ(made.record, expected);
        std::optional<IniChange::Record> record = IniChange::parseRecord(made.record);
        ASSERT_TRUE(record.has_value());
        EXPECT_TRUE(IniChange::undo(*record).ok);
        EXPECT_EQ(readAll(path), c.afterUndo.empty() ? c.file : c.afterUndo) << c.record;
    }
}

TEST(IniChange, PathAlreadyListedInAnotherSpellingChangesNothing) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    std::string original = "[Plugins]\nDir=\"C:\\Host\\Plug-Ins\\\"\n";
    writeAll(path, original);
    for (const char* spelling : {"c:/host/plug-ins", "C:\\HOST\\Plug-Ins\\\\"}) {
        IniChange::Result made =
            IniChange::apply({path, "plugins", "New", spelling, "", true}, nullptr);
        EXPECT_TRUE(made.ok);
        EXPECT_EQ(made.record, "NONE");
    }
    EXPECT_EQ(readAll(path), original);
}

TEST(IniChange, RefusesWhatTheRecordOrTheFileCannotHoldExactly) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    std::string original = "[A]\nTabbed=a\tb\nSpaced=a \n";
    writeAll(path, original);
    const IniChange::Request refused[] = {
        {path, "A", "Tabbed", "new", "", false},  {path, "A", "Spaced", "new", "", false},
        {path, "A", "k", "tab\there", "", false}, {path, "A", "k", "line\nend", "", false},
        {path, "A", "k=", "v", "", false},        {path, "A", "k", "cr\r", "", false},
    };
    for (const IniChange::Request& request : refused) {
        IniChange::Result made = IniChange::apply(request, nullptr);
        EXPECT_FALSE(made.ok) << request.key << "=" << request.value;
        EXPECT_STRNE(made.failure, "");
    }
    EXPECT_EQ(readAll(path), original);
}

TEST(IniChange, ParsesOnlyWholeRecords) {
    EXPECT_EQ(IniChange::parseRecord("CREATE\tf\tA\tk")->value, "");
    EXPECT_EQ(IniChange::parseRecord("REG\tx")->kind, IniChange::Kind::Other);
    EXPECT_EQ(IniChange::parseRecord("NONE")->kind, IniChange::Kind::None);
    for (const char* damaged : {"CREATE\tf\tA", "REPLACE\tf\tA\tk\tv\textra", "CREATE\t\tA\tk\tv"})
        EXPECT_FALSE(IniChange::parseRecord(damaged).has_value()) << damaged;
}
