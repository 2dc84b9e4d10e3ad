// The action log written and read back: the line limit, fields that cannot forge records, and
// the closing record that proves a log lists every change of its run.
#include "engine/ActionLog.h"
#include "engine/ActionLogReader.h"

#include "config/VariableStore.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

namespace {
ActionLogReader::Contents readBack(const std::string& path) {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    ActionLogReader::Contents contents = ActionLogReader::read(stream);
    if (stream != nullptr)
        std::fclose(stream);
    return contents;
}
} // namespace

// Records up to the longest line are written whole, longer ones refused. A line break in a value
// (or a TAB in a name) would let the rest read as records of their own; a TAB, or white space at
// the end, stays in a value and reads back whole.
TEST(ActionLog, RecordsAreWholeOrRefusedAndNothingForgesARecord) {
    VariableStore written;
    EXPECT_EQ(written.set("NOTE", "hello\r\nFILE\tCREATE\tC:\\victim\\important.dat"),
              VariableStore::SetResult::kLineBreak);
    EXPECT_EQ(written.set("A\tB", "x"), VariableStore::SetResult::kLineBreak);
    EXPECT_EQ(written.set("COLUMNS", "a\tb\t"), VariableStore::SetResult::kSet);
    EXPECT_EQ(written.set("PADDED", "ends in blanks  "), VariableStore::SetResult::kSet);
    TempFolder folder;
    Log log;
    ActionLog actions(log);
    EXPECT_FALSE(actions.writePath("no file open yet"));
    ASSERT_TRUE(actions.open((folder / "a.log").c_str()));
    EXPECT_TRUE(actions.writePath("C:\\p\\install.xml") && actions.writePath("C:\\p\\backup.bin"));
    EXPECT_TRUE(actions.writeVariables(written));
    std::string longest(ActionLog::kMaxLine - 4, 'v');
    EXPECT_TRUE(actions.writeIni(longest.c_str()));
    EXPECT_FALSE(actions.writeIni((longest + "v").c_str()));
    EXPECT_TRUE(actions.writeEnvironment("CREATE\tPRODUCT_HOME\tC:\\Product") &&
                actions.writeShortcut("CREATE\tC:\\Menu\\Product.lnk\t0123abcd"));
    for (bool refused : {actions.writeFile(false, "C:\\a\tb"), actions.writePath("C:\\x\r\nDIR"),
                         actions.writeDirectory(1, "C:\\d\n"), actions.writeIni("x\r\nFILE\t")})
        EXPECT_FALSE(refused);
    EXPECT_TRUE(actions.writeFile(true, "C:\\p\\a.txt") && actions.writeEnd());
    actions.close();
    ActionLogReader::Contents read = readBack(folder / "a.log");
    EXPECT_TRUE(read.headerWhole && read.closed);
    ASSERT_EQ(read.variables.size(), 2u);
    EXPECT_EQ(read.variables[0].value, "a\tb\t");
    EXPECT_EQ(read.variables[1].value, "ends in blanks  ");
    using Kind = ActionLogReader::Kind;
    const std::pair<Kind, std::string> records[] = {
        {Kind::kIni, longest},
        {Kind::kEnv, "CREATE\tPRODUCT_HOME\tC:\\Product"},
        {Kind::kShortcut, "CREATE\tC:\\Menu\\Product.lnk\t0123abcd"},
        {Kind::kFile, "OVER\tC:\\p\\a.txt"}};
    ASSERT_EQ(read.records.size(), std::size(records));
    for (size_t i = 0; i < std::size(records); ++i)
        EXPECT_TRUE(read.records[i].kind == records[i].first &&
                    read.records[i].fields == records[i].second)
            << i;
}

// A log cut at any line end reads as whole records but cannot prove it is complete; neither can
// one whose closing record counts other records, or that holds a line of no kind.
TEST(ActionLogReader, OnlyALogEndingInItsClosingRecordWithTheRightCountIsComplete) {
    TempFolder folder;
    const std::string header =
        "C:\\p\\install.xml\r\nC:\\p\\backup.bin\r\nNUMVARS\t1\r\nVAR\tA\t1\r\n";
    const std::string records =
        "DIR\t1\tC:\\p\\\r\nFILE\tOVER\tC:\\p\\a\r\nFILE\tDONE\tC:\\p\\a\r\n";
    const std::string whole = header + records + "END\t3\r\n";
    for (size_t cut = whole.find('\n'); cut != std::string::npos; cut = whole.find('\n', cut + 1)) {
        writeAll(folder / "a.log", whole.substr(0, cut + 1));
        EXPECT_EQ(readBack(folder / "a.log").closed, cut + 1 == whole.size()) << cut;
    }
    const struct {
        std::string log;
        size_t records;
        int damaged;
    } rows[] = {
        {header + records + "END\t2\r\n", 3, 0},
        {header + records + "END\t3\r\nFILE\tCREATE\tC:\\p\\b\r\n", 3, 1},
        {header + "FILE\tCREATE\tC:\\p\\b\r\nforeign text\r\nEND\t1\r\n", 1, 1},
        {header + records + "END\t3", 3, 1}, // no line end: not the writer's whole line
        {"C:\\p\\install.xml\r\nC:\\p\\backup.bin\r\nNUMVARS\t2\r\nVAR\tA\t1\r\n" + records +
             "END\t3\r\n",
         2, 0}, // the count announced one more variable: the DIR line went as one
    };
    for (const auto& row : rows) {
        writeAll(folder / "a.log", row.log);
        ActionLogReader::Contents read = readBack(folder / "a.log");
        EXPECT_FALSE(read.closed) << row.log;
        EXPECT_EQ(read.records.size(), row.records) << row.log;
        EXPECT_EQ(read.damagedLines, row.damaged) << row.log;
    }
}

// The log names its encoding; one written before logs did is in the system's ANSI code page
// (1252 in the native build). Either way the paths reach the engine in its own code page, and a
// line that is not valid in the named encoding is never acted on.
TEST(ActionLog, LinesReachTheEngineInItsCodePageWhateverTheLogIsIn) {
    const std::string tail = "NUMVARS\t0\r\nFILE\tCREATE\tC:\\D\xE9mo\\a.txt\r\nEND\t1\r\n";
    struct Row {
        std::string head;
        bool closed;
        std::string path; // of the FILE record, as read
    } rows[] = {
        {"C:\\x.xml\r\nC:\\b.bin\r\n", true, "C:\\D\xC3\xA9mo\\a.txt"},
        {"ENCODING\twindows-1252\r\nC:\\x.xml\r\nC:\\b.bin\r\n", true, "C:\\D\xC3\xA9mo\\a.txt"},
        // 0xE9 alone is no UTF-8.
        {"ENCODING\tUTF-8\r\nC:\\x.xml\r\nC:\\b.bin\r\n", false, ""},
        {"ENCODING\tEBCDIC-37\r\nC:\\x.xml\r\nC:\\b.bin\r\n", false, ""},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        std::FILE* file = std::fopen((folder / "a.log").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs((row.head + tail).c_str(), file);
        std::fclose(file);
        ActionLogReader::Contents read = readBack(folder / "a.log");
        EXPECT_EQ(read.closed, row.closed) << row.head;
        EXPECT_EQ(read.records.empty() ? "" : read.records[0].path, row.path);
        std::FILE* stream = std::fopen((folder / "a.log").c_str(), "rb");
        std::string description;
        EXPECT_EQ(ActionLogReader::readDescriptionPath(stream, description),
                  row.head.find("EBCDIC") == std::string::npos);
        std::fclose(stream);
    }
}
