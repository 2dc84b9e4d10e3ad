#include "startup/CommandLineOptions.h"

#include <gtest/gtest.h>

namespace {
// The options named in `expected` ("name=value|name|...", a bare name for an absent one) as
// they were parsed, in the same form.
std::string valuesOf(const CommandLineOptions& options, const std::string& expected) {
    std::istringstream items(expected);
    std::string out;
    for (std::string item; std::getline(items, item, '|');) {
        std::string name = item.substr(0, item.find('='));
        const char* value = nullptr;
        out += (out.empty() ? "" : "|") + name +
               (options.getString(name.c_str(), &value) ? "=" + std::string(value) : "");
    }
    return out;
}
} // namespace

TEST(CommandLineOptions, LinesAndTheValuesTheyGive) {
    const std::string escape = "\xC2\xAC", longPath(5000, 'p');
    const auto kParsed = CommandLineOptions::Parse::kParsed;
    struct Row {
        std::string line;
        CommandLineOptions::Parse result;
        int count;
        std::string values;
    } rows[] = {
        {"x -uninstall=\"C:\\Program Files\\P\\install.log\" -uninstallApp=\"My Product\"", kParsed,
         2, "uninstall=C:\\Program Files\\P\\install.log|uninstallApp=My Product"},
        // Registrations written before the space after the program still run.
        {"\"C:\\P\\u.exe\"-uninstall=\"C:\\P\\i.log\" -uninstallApp=\"P\"", kParsed, 2,
         "uninstall=C:\\P\\i.log|uninstallApp=P"},
        // A quote before the dash makes the value quoted.
        {"x \"-configFile=C:\\My Settings\\a.xml\" -gui=0", kParsed, 2,
         "configFile=C:\\My Settings\\a.xml|gui=0"},
        {"x -gui = 0 --debug=2 -quiet", kParsed, 3, "gui=0|debug=2|quiet="},
        // Names ignore case, values keep it, and the first occurrence wins.
        {"x -GUI=Zero -gui=1 -Bin=C:\\Pkg.BIN", kParsed, 3, "gui=Zero|bin=C:\\Pkg.BIN"},
        // The program name is skipped, whatever it holds; after it a tab is not a separator.
        {"  \t\"C:\\Program Files\\Setup -x\\setup.exe\"\t -quiet=1", kParsed, 1, "quiet=1|x"},
        {"setup.exe\t-quiet=1", kParsed, 1, "quiet=1"},
        {"setup.exe", kParsed, 0, ""},
        {"x -gui=0\t-debug=1 -quiet", kParsed, 2, "gui=0\t-debug=1|debug|quiet="},
        {"x -a=\"say " + escape + "\"hi" + escape + "\" now\" -b=un\"quoted -c=x" + escape + "y",
         kParsed, 3, "a=say \"hi\" now|b=un\"quoted|c=xy"},
        {"x -bin=\"" + longPath + "\"", kParsed, 1, "bin=" + longPath},
        // An escaped escape byte is one of the value's own, also right before the closing quote.
        {"x -a=\"A" + escape + escape + "\" -b=1", kParsed, 2, "a=A" + escape + "|b=1"},
        // Errors keep what was parsed before them.
        {"x -gui=0 debug=1 -quiet=1", CommandLineOptions::Parse::kNoDash, 1, "gui=0|quiet"},
        {"x -gui=0 -configFile=\"C:\\a b", CommandLineOptions::Parse::kUnclosedQuote, 1,
         "gui=0|configFile"},
        {"x \"gui=0\"", CommandLineOptions::Parse::kNoDash, 0, "gui"}};
    for (const Row& row : rows) {
        CommandLineOptions options;
        EXPECT_EQ(options.parse(row.line.c_str()), row.result) << row.line.substr(0, 80);
        EXPECT_EQ(options.count(), row.count);
        EXPECT_EQ(valuesOf(options, row.values), row.values);
    }
}

TEST(CommandLineOptions, NumbersAreReadLikeAtoiAndAnAbsentOneLeavesTheTarget) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -debug -Gui=Zero -level=12x"), CommandLineOptions::Parse::kParsed);
    int numbers[] = {7, 9, 0, 5}, found = 0;
    for (const char* name : {"debug", "gui", "level", "quiet"})
        found += options.getInt(name, &numbers[found]);
    EXPECT_EQ(std::vector<int>(numbers, numbers + 4), std::vector<int>({0, 0, 12, 5}));
}
