#include "startup/RelaunchCommand.h"

#include <gtest/gtest.h>

// 7 + 23 + 17 + 464 = 511 characters fit the 512-byte buffer; a command that would not fit,
// also for the " -gui=0" alone, is refused, never started cut.
TEST(RelaunchCommand, CarriesTheAppGuiZeroAndQuietOnlyWhenGivenAndRefusesOver511Characters) {
    const std::string fits(464, 'x'), tooLong = fits + "x";
    struct Row {
        const char* app;
        int gui, quiet;
        std::string expected;
    } rows[] = {
        {"Example Product", 0, 0,
         "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"Example Product\" -gui=0"},
        {"App", 1, 0, "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"App\""},
        {"App", 0, 1, "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"App\" -gui=0 -quiet=1"},
        {nullptr, 0, 0, "\"a.dll\" -uninstallFile=\"a.log\" -gui=0"},
        {fits.c_str(), 1, 0, "\"a.dll\" -uninstallFile=\"a.log\" -uninstallApp=\"" + fits + "\""},
        {tooLong.c_str(), 1, 0, "<refused>"},
        {fits.c_str(), 0, 0, "<refused>"}};
    for (const Row& row : rows) {
        char command[kRelaunchCommandSize] = "x";
        int result = buildRelaunchCommand(command, sizeof command, "a.dll", "a.log", row.app,
                                          row.gui, row.quiet);
        EXPECT_EQ(result == 0 ? command : command[0] == '\0' ? "<refused>" : "<cut>", row.expected);
    }
}
