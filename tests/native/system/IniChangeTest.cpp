#include "system/IniChange.h"

#include "package/TextEncoding.h"
#include "tests/native/TempFolder.h"

#include <gtest/gtest.h>

namespace {
using Outcome = IniChange::Outcome;
const std::string kLong(10000, 'v');

// The file bytes of UTF-8 text in UTF-16LE with its byte-order mark.
std::string utf16(const std::string& text) {
    return "\xFF\xFE" +
           TextEncoding::convert(text, TextEncoding::kUtf8, TextEncoding::kUtf16LE).value_or("?");
}

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
        // UTF-16BE could not be written back as it is: the undo waits for another run.
        {"REPLACE\tk\told\tnew", std::string("\xFE\xFF\0[\0A\0]", 8), Outcome::Failed, ""},
        {"REPLACE\tk\told\tnew", utf16("[A]\r\nk=new\r\n"), Outcome::Undone,
         utf16("[A]\r\nk=old\r\n")},
        // The file was converted to ANSI since: the old value is not written as "?".
        {"REPLACE\tk\t\xE6\x97\xA5\tnew", "[A]\nk=new\nc=\xE9\n", Outcome::Failed, ""},
        // An all-ASCII file held it before as UTF-8, and takes it back so.
        {"REPLACE\tk\t\xE6\x97\xA5\tnew", "[A]\nk=new\n", Outcome::Undone, "[A]\nk=\xE6\x97\xA5\n"},
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
        EXPECT_EQ(!undone.failure.empty(), row.outcome == Outcome::Failed);
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
        EXPECT_EQ(made.failure.empty(), listed);
    }
    EXPECT_EQ(readAll(path), original);
}

// Each row: the file (none: missing), the entry, the file after the change, and for a refusal
// the failure ("<file>" stands for the path) with the file unchanged; after the undo the file
// is the original again (or `afterUndo` for a file the change made).
TEST(IniChange, FilesKeepTheirEncodingAndWhatItCannotHoldIsRefusedBeforeAnyWrite) {
    TempFolder folder;
    std::string path = folder / "host.ini";
    const std::string kMissing = "none";
    const std::string ansi = "[A]\r\nname=Caf\xE9\r\nk=1\r\n";
    const std::string utf8 = "[A]\nname=Caf\xC3\xA9\nk=1\n";
    const std::string nihongo = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    const std::string cannotHold = "cannot be written to <file>: the file's encoding (code page "
                                   "1252) cannot hold its characters";
    const struct {
        const char* what;
        std::string file, section, key, value, after, failure, afterUndo;
    } rows[] = {
        {"ANSI: another key, the other lines byte for byte", ansi, "A", "k", "2",
         "[A]\r\nname=Caf\xE9\r\nk=2\r\n", "", ""},
        {"ANSI: a Latin-1 value in the file's code page", ansi, "A", "k", "\xC3\xA9",
         "[A]\r\nname=Caf\xE9\r\nk=\xE9\r\n", "", ""},
        {"ANSI: a value it cannot hold", ansi, "A", "k", "\xE6\x97\xA5\xE6\x9C\xAC", "",
         "the value of \"k\" in [A] " + cannotHold, ""},
        {"ANSI: a key it cannot hold", ansi, "A", nihongo, "v", "",
         "the key \"" + nihongo + "\" in [A] " + cannotHold, ""},
        {"ANSI: a section it cannot hold", ansi, nihongo, "k", "v", "",
         "the section [" + nihongo + "] " + cannotHold, ""},
        {"ANSI: bytes that would read back as UTF-8", "[A]\nk=1\n", "A", "k", "\xC3\x83\xC2\xA9",
         "",
         "the value of \"k\" in [A] cannot be written to <file>: the file's encoding (code page "
         "1252) would give bytes that read back as other text",
         ""},
        {"ANSI: non-ASCII section and key names match", "[Se\xF1or]\r\nM\xFCller=1\r\n",
         "Se\xC3\xB1or", "M\xC3\xBCller", "2", "[Se\xF1or]\r\nM\xFCller=2\r\n", "", ""},
        {"UTF-8 with mark", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", nihongo,
         "\xEF\xBB\xBF[A]\nk=" + nihongo + "\n", "", ""},
        {"UTF-8 without mark", utf8, "A", "k", nihongo,
         "[A]\nname=Caf\xC3\xA9\nk=" + nihongo + "\n", "", ""},
        // Nothing tells the encoding of an all-ASCII file: the undo takes it as ANSI.
        {"UTF-8 without mark left all ASCII", "[A]\nk=\xC3\xA9\n", "A", "k", "plain",
         "[A]\nk=plain\n", "", "[A]\nk=\xE9\n"},
        {"UTF-16LE", utf16("; \xC3\xA9\r\n[A]\r\nk=1\r\n[B]\nx=2"), "A", "k", nihongo,
         utf16("; \xC3\xA9\r\n[A]\r\nk=" + nihongo + "\r\n[B]\nx=2"), "", ""},
        {"UTF-16LE: non-ASCII section and key names match", utf16("[\xCE\xB1]\r\n\xCE\xB2=1\r\n"),
         "\xCE\xB1", "\xCE\xB2", "2", utf16("[\xCE\xB1]\r\n\xCE\xB2=2\r\n"), "", ""},
        {"new file: Latin-1 in ANSI", kMissing, "A", "k", "Caf\xC3\xA9", "[A]\r\nk=Caf\xE9\r\n", "",
         "[A]\r\n"},
        {"new file: Greek in UTF-16LE", kMissing, "A", "k", "\xCE\x91\xCE\xB8",
         utf16("[A]\r\nk=\xCE\x91\xCE\xB8\r\n"), "", utf16("[A]\r\n")},
        {"new file: ANSI that would read back as UTF-8 in UTF-16LE", kMissing, "A", "k",
         "\xC3\x83\xC2\xA9", utf16("[A]\r\nk=\xC3\x83\xC2\xA9\r\n"), "", utf16("[A]\r\n")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::remove(path.c_str());
        if (row.file != kMissing)
            writeAll(path, row.file);
        IniChange::Result made =
            IniChange::apply({path, row.section, row.key, row.value, "", false}, nullptr,
                             [](const std::string&) { return true; });
        std::string failure = row.failure;
        size_t at = failure.find("<file>");
        if (at != std::string::npos)
            failure.replace(at, 6, path);
        EXPECT_EQ(made.failure, failure);
        std::string now = std::ifstream(path).good() ? readAll(path) : kMissing;
        EXPECT_EQ(now, made.ok ? row.after : row.file);
        if (!made.ok)
            continue;
        EXPECT_EQ(undoText(made.text).outcome, Outcome::Undone);
        EXPECT_EQ(readAll(path), row.afterUndo.empty() ? row.file : row.afterUndo);
    }
}
