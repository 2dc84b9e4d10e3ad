// The item records and the line limit; the header, DIR and FILE lines are checked where an
// installation run writes them.
#include "engine/ActionLog.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <string>

TEST(ActionLog, RecordsUpTo4095CharactersAreWrittenWholeLongerOnesRefused) {
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
