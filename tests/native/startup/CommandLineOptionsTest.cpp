#include "startup/CommandLineOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
std::string valueOf(const CommandLineOptions& options, const char* name) {
    const char* value = nullptr;
    if (!options.getString(name, &value))
        return "<absent>";
    return value;
}
} // namespace

TEST(CommandLineOptions, LinesAndTheValuesTheyGive) {
    const std::string escape(1, static_cast<char>(0xAC));
    const std::string longPath(5000, 'p');
    struct Row {
        std::string line;
        int result;
        int count; // -1: not checked
        std::vector<std::pair<const char*, std::string>> values;
    };
    const Row rows[] = {
        {"setup.exe -gui=0 -debug=1", 0, 2, {{"gui", "0"}, {"debug", "1"}}},
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
        {"x -GUI=Zero -gui=1 -Bin=C:\\Pkg.BIN", 0, -1, {{"gui", "Zero"}, {"bin", "C:\\Pkg.BIN"}}},
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
        // Errors keep what was parsed before them.
        {"x -gui=0 debug=1 -quiet=1", -1, -1, {{"gui", "0"}, {"quiet", "<absent>"}}},
        {"x -gui=0 -configFile=\"C:\\a b", -2, -1, {{"gui", "0"}, {"configFile", "<absent>"}}},
        {"x \"gui=0\"", -1, -1, {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.substr(0, 80));
        CommandLineOptions options;
        EXPECT_EQ(options.parse(row.line.c_str()), row.result);
        if (row.count >= 0)
            EXPECT_EQ(options.count(), row.count);
        for (const auto& [name, value] : row.values)
            EXPECT_EQ(valueOf(options, name), value) << name;
    }
}

TEST(CommandLineOptions, NumbersReadWithAtoiAndAbsentOnesLeaveTheTarget) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -debug -Gui=Zero"), 0);
    int debug = 7, gui = 9, missing = 5;
    EXPECT_EQ(options.getInt("debug", &debug), 1);
    EXPECT_EQ(debug, 0);
    options.getInt("gui", &gui);
    EXPECT_EQ(gui, 0);
    EXPECT_EQ(options.getInt("quiet", &missing), 0);
    EXPECT_EQ(missing, 5);
}

TEST(CommandLineOptions, ManyOptionsGrowInSteps) {
    std::string line = "x";
    for (int i = 0; i < 250; ++i)
        line += " -o" + std::to_string(i) + "=" + std::to_string(i * 3);
    CommandLineOptions options;
    ASSERT_EQ(options.parse(line.c_str()), 0);
    EXPECT_EQ(options.count(), 250);
    EXPECT_EQ(options.capacity(), 300);
    EXPECT_EQ(valueOf(options, "o0"), "0");
    EXPECT_EQ(valueOf(options, "o249"), "747");
}
