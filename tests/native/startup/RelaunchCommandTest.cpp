#include "startup/RelaunchCommand.h"

#include <gtest/gtest.h>

#include <string>

TEST(RelaunchCommand, CarriesTheCopiesTheAppAndGuiZeroOnlyInConsoleMode) {
    struct Row {
        const char* app;
        int gui;
        const char* expected;
    } rows[] = {{"Example Product", 0,
                 "\"C:\\TEMP\\\\u.dll\" -uninstallFile=\"C:\\TEMP\\\\u.log\" "
                 "-uninstallApp=\"Example Product\" -gui=0"},
                {"App", 1,
                 "\"C:\\TEMP\\\\u.dll\" -uninstallFile=\"C:\\TEMP\\\\u.log\" "
                 "-uninstallApp=\"App\""},
                {nullptr, 0, "\"C:\\TEMP\\\\u.dll\" -uninstallFile=\"C:\\TEMP\\\\u.log\" -gui=0"}};
    for (const Row& row : rows) {
        char command[kRelaunchCommandSize];
        ASSERT_EQ(buildRelaunchCommand(command, sizeof command, "C:\\TEMP\\\\u.dll",
                                       "C:\\TEMP\\\\u.log", row.app, row.gui),
                  0);
        EXPECT_STREQ(command, row.expected);
    }
}

TEST(RelaunchCommand, CommandLinesOver511CharactersAreRefusedNotCut) {
    char command[kRelaunchCommandSize];
    // 7 + 23 + 17 + 464 = 511 characters fit the 512-byte buffer.
    std::string fits(464, 'x');
    EXPECT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", fits.c_str(), 1), 0);
    EXPECT_EQ(std::string(command).size(), 511u);
    EXPECT_EQ(
        buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", (fits + "x").c_str(), 1),
        -1);
    EXPECT_STREQ(command, "");
    // " -gui=0" that no longer fits is a refusal too, not a command without it.
    EXPECT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", fits.c_str(), 0), -1);
}
