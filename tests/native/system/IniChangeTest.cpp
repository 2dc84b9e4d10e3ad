#include "system/IniChange.h"

#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

namespace {
using Outcome = IniChange::Outcome;
const std::string kLong(10000, 'v');

// The record as it stands behind "<kind>\t<file>\tA\t<key>\t"; an empty afterUndo: the
// original file.
struct RoundTrip {
    std::string file;
    const char* key;
    std::string value;
    const char* beforeKey;
    std::string kind, values, afterUndo;
};

const RoundTrip kRoundTrips[] = {
    {"[A]\r\nk=old\r\n[B]\ny=1\n", "k", "new", "", "REPLACE", "old\tnew", ""},
    {"[A]\nx=1\n; c\n", "k", "C:\\Apps", "x", "CREATE", "C:\\Apps", ""},
    {"[A]\nk=" + kLong + "\n", "k", "short", "", "REPLACE", kLong + "\tshort", ""},
    // A line without a value is there: it comes back as "k=", with its line end.
    {"[A]\r\nk=\r\nj=2", "k", "v", "", "REPLACE", "\tv", ""},
    {"[A]\nj=2\nk=", "k", "v ", "", "REPLACE", "\tv ", ""},
    // A last line that ends in a CR without a LF comes back with its CR.
    {"[A]\nx=1\r", "k", "v", "", "CREATE", "v", ""},
    // A last section named in another case takes the key: under a header of its own the undo
    // would not find it and the key would stay for good.
    {"[other]\nx=1\n[a]\ny=2\n", "k", "v", "", "CREATE", "v", ""},
    // A key placed before itself is set in the line that is read, and undone there.
    {"[A]\nk=1\nx=0\nk=2\n", "k", "new", "k", "REPLACE", "1\tnew", ""},
    // The file the change made keeps the section it needed.
    {"", "k", "v", "", "CREATE", "v", "[A]\r\n"},
};

IniChange::UndoResult undoText(const std::string& text) {
    std::optional<IniChange::Record> record = IniChange::parseRecord(text);
    EXPECT_TRUE(record.has_value()) << text;
    return record ? IniChange::undo(*record) : IniChange::UndoResult{Outcome::Failed, "damaged"};
}
} // namespace

TEST(IniChange, UndoGivesBackTheFileByteForByteAndASecondUndoChangesNothing) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.file.substr(0, 20));
        std::remove(path.c_str());
        if (!c.file.empty())
            writeAll(path, c.file);
        IniChange::Result made =
            IniChange::apply({path, "A", c.key, c.value, c.beforeKey, false}, nullptr);
        ASSERT_TRUE(made.ok) << made.failure;
        EXPECT_EQ(made.text, c.kind + "\t" + path + "\tA\t" + c.key + "\t" + c.values);
        EXPECT_EQ(undoText(made.text).outcome, Outcome::Undone);
        std::string undone = c.afterUndo.empty() ? c.file : c.afterUndo;
        EXPECT_EQ(readAll(path), undone);
        EXPECT_EQ(undoText(made.text).outcome, Outcome::NothingLeft);
        EXPECT_EQ(readAll(path), undone);
    }
}

// Each row: the record's kind and values, the file at uninstall time (none: missing), what the
// undo came to, the file after (empty: unchanged).
TEST(IniChange, UndoActsOnlyWhileTheKeyHoldsWhatTheInstallationWrote) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    const std::string kMissing = "none";
    const struct {
        const char* record;
        std::string file;
        Outcome outcome;
        std::string after;
    } rows[] = {
        {"CREATE\tk\tnew", "[A]\nk=new\nj=1\n", Outcome::Undone, "[A]\nj=1\n"},
        {"CREATE\tk\tnew", "[A]\nk=user\n", Outcome::Left, ""},
        {"CREATE\tk\tnew", "[A]\nK=new\n", Outcome::NothingLeft, ""},
        {"CREATE\tk\tnew", kMissing, Outcome::NothingLeft, ""},
        {"REPLACE\tk\told\tnew", "[a]\nk=new\n", Outcome::Undone, "[a]\nk=old\n"},
        {"REPLACE\tk\told\tnew", "[A]\nk=old\n", Outcome::NothingLeft, ""},
        {"REPLACE\tk\told\tnew", "[A]\nk=user\n", Outcome::Left, ""},
        {"REPLACE\tk\told\tnew", "[A]\nj=new\n", Outcome::Left, ""},
        {"REPLACE\tk\told\tnew", kMissing, Outcome::Left, ""},
        // UTF-16 could not be written back as it is: the undo waits for another run.
        {"REPLACE\tk\told\tnew", std::string("\xFF\xFE[\0A\0]\0", 8), Outcome::Failed, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.record) + " on " + row.file);
        std::remove(path.c_str());
        if (row.file != kMissing)
            writeAll(path, row.file);
        std::string fields = row.record;
        size_t tab = fields.find('\t');
        IniChange::UndoResult undone =
            undoText(fields.substr(0, tab) + "\t" + path + "\tA" + fields.substr(tab));
        EXPECT_EQ(undone.outcome, row.outcome);
        EXPECT_EQ(*undone.failure != '\0', row.outcome == Outcome::Failed);
        std::string now = std::ifstream(path).good() ? readAll(path) : kMissing;
        EXPECT_EQ(now, row.after.empty() ? row.file : row.after);
    }
}

// A path already listed in another spelling changes nothing; what the record or the file cannot
// hold exactly is refused with a reason. Either way the file stays as it was.
TEST(IniChange, PathsListedInAnotherSpellingAndWhatCannotBeHeldExactlyLeaveTheFile) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    std::string original = "[A]\nTabbed=a\tb\nDir=\"C:\\Host\\Plug-Ins\\\"\n";
    writeAll(path, original);
    const IniChange::Request requests[] = {
        {path, "a", "New", "c:/host/plug-ins", "", true},
        {path, "A", "New", "C:\\HOST\\Plug-Ins\\\\", "", true},
        {path, "A", "Tabbed", "new", "", false},
        {path, "A", "k", "tab\there", "", false},
        {path, "A", "k", "line\nend", "", false},
        {path, "A", "k=", "v", "", false},
        {path, "A", "k", "cr\r", "", false},
        {path, "A]", "k", "v", "", false},
    };
    for (const IniChange::Request& request : requests) {
        IniChange::Result made = IniChange::apply(request, nullptr);
        bool listed = request.isPath;
        EXPECT_EQ(made.ok, listed) << request.key << "=" << request.value;
        EXPECT_EQ(made.ok ? made.text : "refused", listed ? "NONE" : "refused");
        EXPECT_EQ(*made.failure == '\0', listed);
    }
    EXPECT_EQ(readAll(path), original);
}
