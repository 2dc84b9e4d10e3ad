// The item records and the line limit; the header, DIR and FILE lines are checked where an
// installation run writes them.
#include "engine/ActionLog.h"

#include "config/VariableStore.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

TEST(ActionLog, RecordsUpToTheLongestLineAreWrittenWholeLongerOnesRefused) {
    TempFolder folder;
    Log log;
    ActionLog actions(log);
    EXPECT_FALSE(actions.writePath("no file open yet"));
    ASSERT_EQ(actions.open((folder / "a.log").c_str()), 0);
    EXPECT_TRUE(actions.writeEnvironment("CREATE\tPRODUCT_HOME"));
    EXPECT_TRUE(actions.writeShortcut("CREATE\tC:\\Menu\\Product.lnk"));
    std::string longest(ActionLog::kMaxLine - 4, 'v');
    EXPECT_TRUE(actions.writeIni(longest.c_str()));
    EXPECT_FALSE(actions.writeIni((longest + "v").c_str()));
    actions.close();
    EXPECT_EQ(readAll(folder / "a.log"), "ENV\tCREATE\tPRODUCT_HOME\r\n"
                                         "SHORTCUT\tCREATE\tC:\\Menu\\Product.lnk\r\nINI\t" +
                                             longest + "\r\n");
}

// A value holding a line break would end its line early and let the rest read as records of
// their own (a forged FILE record makes the uninstall delete a file it never installed). A TAB,
// or white space at the end, stays in the value and reads back whole.
TEST(ActionLog, ValuesCannotForgeRecordsAndTabsReadBackWhole) {
    VariableStore written;
    EXPECT_EQ(written.set("NOTE", "hello\r\nFILE\tCREATE\tC:\\victim\\important.dat"),
              VariableStore::kLineBreak);
    EXPECT_EQ(written.set("COLUMNS", "a\tb\t"), 0);
    EXPECT_EQ(written.set("PADDED", "ends in blanks  "), 0);
    TempFolder folder;
    Log log;
    ActionLog actions(log);
    ASSERT_EQ(actions.open((folder / "a.log").c_str()), 0);
    EXPECT_TRUE(actions.writeVariables(written));
    for (bool refused : {actions.writeFile(false, "C:\\a\tb"), actions.writePath("C:\\x\r\nDIR"),
                         actions.writeDirectory(1, "C:\\d\n"), actions.writeIni("x\r\nFILE\t")})
        EXPECT_FALSE(refused);
    actions.close();
    std::FILE* stream = std::fopen((folder / "a.log").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    VariableStore read;
    EXPECT_TRUE(ActionLog::readVariables(stream, read));
    std::fclose(stream);
    ASSERT_EQ(read.count(), 2);
    EXPECT_STREQ(read.at(0).value, "a\tb\t");
    EXPECT_STREQ(read.at(1).value, "ends in blanks  ");
}
