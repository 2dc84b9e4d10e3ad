#include "engine/ActionLog.h"

#include "../TempFolder.h"

#include <gtest/gtest.h>

#include <string>

TEST(ActionLog, WritesEveryKindOfLineWithSingleTabsAndCrLf) {
    TempFolder folder;
    std::string path = folder / "install.log";
    Log log;
    ActionLog actions(log);
    ASSERT_EQ(actions.open(path.c_str()), 0);
    EXPECT_TRUE(actions.writePath("C:\\Product\\install.xml"));
    EXPECT_TRUE(actions.writePath("C:\\Product\\backup.bin"));
    EXPECT_TRUE(actions.writeVariableCount(1));
    EXPECT_TRUE(actions.writeVariable("INSTALLDIR", "C:\\Product"));
    EXPECT_TRUE(actions.writeDirectory(2, "C:\\Product\\bin\\"));
    EXPECT_TRUE(actions.writeFile(false, "C:\\Product\\bin\\a.exe"));
    EXPECT_TRUE(actions.writeFile(true, "C:\\Windows\\shared.dll"));
    EXPECT_TRUE(actions.writeEnvironment("CREATE\tPRODUCT_HOME"));
    EXPECT_TRUE(actions.writeIni("REPLACE\tC:\\host.ini\tPlugins\tDir\told"));
    EXPECT_TRUE(actions.writeShortcut("CREATE\tC:\\Menu\\Product.lnk"));
    actions.close();
    EXPECT_EQ(readAll(path), "C:\\Product\\install.xml\r\n"
                             "C:\\Product\\backup.bin\r\n"
                             "NUMVARS\t1\r\n"
                             "VAR\tINSTALLDIR\tC:\\Product\r\n"
                             "DIR\t2\tC:\\Product\\bin\\\r\n"
                             "FILE\tCREATE\tC:\\Product\\bin\\a.exe\r\n"
                             "FILE\tOVER\tC:\\Windows\\shared.dll\r\n"
                             "ENV\tCREATE\tPRODUCT_HOME\r\n"
                             "INI\tREPLACE\tC:\\host.ini\tPlugins\tDir\told\r\n"
                             "SHORTCUT\tCREATE\tC:\\Menu\\Product.lnk\r\n");
}

TEST(ActionLog, RefusesWhatItCannotWriteWhole) {
    TempFolder folder;
    Log log;
    ActionLog actions(log);
    EXPECT_FALSE(actions.writePath("no file open yet"));
    ASSERT_EQ(actions.open((folder / "a.log").c_str()), 0);
    std::string longest(ActionLog::kMaxLine - 4, 'v');
    EXPECT_TRUE(actions.writeIni(longest.c_str()));
    EXPECT_FALSE(actions.writeIni((longest + "v").c_str()));
    actions.close();
    EXPECT_EQ(readAll(folder / "a.log"), "INI\t" + longest + "\r\n");
}
