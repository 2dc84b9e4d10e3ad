#include "startup/RelaunchCommand.h"

#include <gtest/gtest.h>

#include <string>

TEST(RelaunchCommand, CarriesTheDoubledBackslashAndGuiZeroOnlyInConsoleMode) {
    char command[kRelaunchCommandSize];
    ASSERT_EQ(buildRelaunchCommand(command, sizeof command, "C:\\TEMP\\\\lumouninst.dll",
                                   "C:\\TEMP\\\\lumouninst.log", "Example Product", 0),
              0);
    EXPECT_STREQ(command,
                 "\"C:\\TEMP\\\\lumouninst.dll\" -uninstallFile=\"C:\\TEMP\\\\lumouninst.log\" "
                 "-uninstallApp=\"Example Product\" -gui=0");
    ASSERT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", "App", 1), 0);
    EXPECT_STREQ(command, "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"App\"");
    ASSERT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", "App", 5), 0);
    EXPECT_STREQ(command, "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"App\"");
}

TEST(RelaunchCommand, MissingAppNameLeavesTheOptionOut) {
    char command[kRelaunchCommandSize];
    ASSERT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", nullptr, 0), 0);
    EXPECT_STREQ(command, "\"a.dll\" -uninstallFile=\"a.log\" -gui=0");
}

TEST(RelaunchCommand, RefusesACommandThatDoesNotFit) {
    char command[kRelaunchCommandSize];
    std::string app(465, 'x');
    // 7 + 23 + 17 + 465 = 512 characters: one too many for the 512-byte buffer.
    EXPECT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", app.c_str(), 1), -1);
    EXPECT_STREQ(command, "");
    std::string fits(464, 'x');
    EXPECT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", fits.c_str(), 1), 0);
    EXPECT_EQ(std::string(command).size(), 511u);
    // " -gui=0" that no longer fits is a refusal too, not a command without it.
    EXPECT_EQ(buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", fits.c_str(), 0), -1);
}
