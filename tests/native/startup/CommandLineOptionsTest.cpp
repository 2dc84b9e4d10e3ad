#include "startup/CommandLineOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(CommandLineOptions, LinesAndTheValuesTheyGive) {
    const std::string escape(1, CommandLineOptions::kEscape);
    const std::string longPath(5000, 'p');
    std::string many = "x";
    for (int i = 0; i < 250; ++i)
        many += " -o" + std::to_string(i) + "=" + std::to_string(i * 3);
    struct Row {
        std::string line;
        int result, count;
        std::vector<std::pair<const char*, std::string>> values;
    } rows[] = {
        {"x -uninstall=\"C:\\Program Files\\P\\install.log\" -uninstallApp=\"My Product\"",
         0,
         2,
         {{"uninstall", "C:\\Program Files\\P\\install.log"}, {"uninstallApp", "My Product"}}},
        // A quote before the dash makes the value quoted.
        {"x \"-configFile=C:\\My Settings\\a.xml\" -gui=0",
         0,
         2,
         {{"configFile", "C:\\My Settings\\a.xml"}, {"gui", "0"}}},
        {"x -gui = 0 --debug=2", 0, 2, {{"gui", "0"}, {"debug", "2"}}},
        {"x -debug -gui", 0, 2, {{"debug", ""}, {"gui", ""}}},
        // Names ignore case, values keep it, and the first occurrence wins.
        {"x -GUI=Zero -gui=1 -Bin=C:\\Pkg.BIN", 0, 3, {{"gui", "Zero"}, {"bin", "C:\\Pkg.BIN"}}},
        // The program name is skipped, quoted or not, whatever it holds.
        {"  \t\"C:\\Program Files\\Setup -x\\setup.exe\"\t -quiet=1", 0, 1, {{"quiet", "1"}}},
        {"setup.exe\t-quiet=1", 0, 1, {{"quiet", "1"}}},
        {"setup.exe", 0, 0, {}},
        // After the program name a tab is not a separator.
        {"x -gui=0\t-debug=1 -quiet",
         0,
         2,
         {{"gui", "0\t-debug=1"}, {"debug", "<absent>"}, {"quiet", ""}}},
        {"x -a=\"say " + escape + "\"hi" + escape + "\" now\" -b=un\"quoted -c=x" + escape + "y",
         0,
         3,
         {{"a", "say \"hi\" now"}, {"b", "un\"quoted"}, {"c", "xy"}}},
        {"x -bin=\"" + longPath + "\"", 0, 1, {{"bin", longPath}}},
        {many, 0, 250, {{"o0", "0"}, {"o249", "747"}}},
        // Errors keep what was parsed before them.
        {"x -gui=0 debug=1 -quiet=1", CommandLineOptions::kNoDash, 1, {{"quiet", "<absent>"}}},
        {"x -gui=0 -configFile=\"C:\\a b",
         CommandLineOptions::kUnclosedQuote,
         1,
         {{"gui", "0"}, {"configFile", "<absent>"}}},
        {"x \"gui=0\"", CommandLineOptions::kNoDash, 0, {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.substr(0, 80));
        CommandLineOptions options;
        EXPECT_EQ(options.parse(row.line.c_str()), row.result);
        EXPECT_EQ(options.count(), row.count);
        for (const auto& [name, expected] : row.values) {
            const char* value = nullptr;
            EXPECT_EQ(options.getString(name, &value) ? value : "<absent>", expected) << name;
        }
    }
}

TEST(CommandLineOptions, NumbersAreReadLikeAtoiAndAnAbsentOneLeavesTheTarget) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -debug -Gui=Zero -level=12x"), 0);
    int debug = 7, gui = 9, level = 0, missing = 5;
    EXPECT_EQ(options.getInt("debug", &debug), 1);
    options.getInt("gui", &gui);
    options.getInt("level", &level);
    EXPECT_EQ(options.getInt("quiet", &missing), 0);
    EXPECT_EQ(std::vector<int>({debug, gui, level, missing}), std::vector<int>({0, 0, 12, 5}));
}
