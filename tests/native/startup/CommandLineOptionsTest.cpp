#include "startup/CommandLineOptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string valueOf(const CommandLineOptions& options, const char* name) {
    const char* value = nullptr;
    if (!options.getString(name, &value))
        return "<absent>";
    return value;
}
} // namespace

TEST(CommandLineOptions, ExamplesOfTheOptionTable) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("setup.exe -gui=0 -debug=1"), 0);
    EXPECT_EQ(options.count(), 2);
    EXPECT_EQ(valueOf(options, "gui"), "0");
    EXPECT_EQ(valueOf(options, "debug"), "1");

    CommandLineOptions quoted;
    ASSERT_EQ(quoted.parse("x -uninstall=\"C:\\Program Files\\P\\install.log\" "
                           "-uninstallApp=\"My Product\""),
              0);
    EXPECT_EQ(valueOf(quoted, "uninstall"), "C:\\Program Files\\P\\install.log");
    EXPECT_EQ(valueOf(quoted, "uninstallApp"), "My Product");

    // A quote before the dash makes the value quoted.
    CommandLineOptions wholeQuoted;
    ASSERT_EQ(wholeQuoted.parse("x \"-configFile=C:\\My Settings\\a.xml\" -gui=0"), 0);
    EXPECT_EQ(valueOf(wholeQuoted, "configFile"), "C:\\My Settings\\a.xml");
    EXPECT_EQ(valueOf(wholeQuoted, "gui"), "0");

    CommandLineOptions spaced;
    ASSERT_EQ(spaced.parse("x -gui = 0 --debug=2"), 0);
    EXPECT_EQ(valueOf(spaced, "gui"), "0");
    EXPECT_EQ(valueOf(spaced, "debug"), "2");
}

TEST(CommandLineOptions, BareOptionIsEmptyAndReadsAsZero) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -debug -gui"), 0);
    EXPECT_EQ(valueOf(options, "debug"), "");
    int debug = 7;
    EXPECT_EQ(options.getInt("debug", &debug), 1);
    EXPECT_EQ(debug, 0);
    int missing = 5;
    EXPECT_EQ(options.getInt("quiet", &missing), 0);
    EXPECT_EQ(missing, 5);
}

TEST(CommandLineOptions, NamesIgnoreCaseValuesKeepItAndFirstWins) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -GUI=Zero -gui=1 -Bin=C:\\Pkg.BIN"), 0);
    EXPECT_EQ(valueOf(options, "gui"), "Zero");
    EXPECT_EQ(valueOf(options, "bin"), "C:\\Pkg.BIN");
    int gui = 9;
    options.getInt("Gui", &gui);
    EXPECT_EQ(gui, 0); // atoi of "Zero"
}

TEST(CommandLineOptions, ProgramNameSkipping) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("  \t\"C:\\Program Files\\Setup -x\\setup.exe\"\t -quiet=1"), 0);
    EXPECT_EQ(valueOf(options, "quiet"), "1");
    EXPECT_EQ(options.count(), 1);

    CommandLineOptions unquoted;
    ASSERT_EQ(unquoted.parse("setup.exe\t-quiet=1"), 0);
    EXPECT_EQ(valueOf(unquoted, "quiet"), "1");

    CommandLineOptions nameOnly;
    EXPECT_EQ(nameOnly.parse("setup.exe"), 0);
    EXPECT_EQ(nameOnly.count(), 0);
}

TEST(CommandLineOptions, TabIsNotASeparatorAfterTheProgramName) {
    CommandLineOptions options;
    ASSERT_EQ(options.parse("x -gui=0\t-debug=1 -quiet"), 0);
    EXPECT_EQ(valueOf(options, "gui"), "0\t-debug=1");
    EXPECT_EQ(valueOf(options, "debug"), "<absent>");
    EXPECT_EQ(valueOf(options, "quiet"), "");
}

TEST(CommandLineOptions, EscapeByteAndQuotes) {
    const std::string escape(1, static_cast<char>(0xAC));
    CommandLineOptions options;
    std::string line =
        "x -a=\"say " + escape + "\"hi" + escape + "\" now\" -b=un\"quoted -c=x" + escape + "y";
    ASSERT_EQ(options.parse(line.c_str()), 0);
    EXPECT_EQ(valueOf(options, "a"), "say \"hi\" now");
    EXPECT_EQ(valueOf(options, "b"), "un\"quoted");
    EXPECT_EQ(valueOf(options, "c"), "xy");
}

TEST(CommandLineOptions, ErrorsKeepWhatWasParsedBefore) {
    CommandLineOptions noDash;
    EXPECT_EQ(noDash.parse("x -gui=0 debug=1 -quiet=1"), -1);
    EXPECT_EQ(valueOf(noDash, "gui"), "0");
    EXPECT_EQ(valueOf(noDash, "quiet"), "<absent>");

    CommandLineOptions unclosed;
    EXPECT_EQ(unclosed.parse("x -gui=0 -configFile=\"C:\\a b"), -2);
    EXPECT_EQ(valueOf(unclosed, "gui"), "0");
    EXPECT_EQ(valueOf(unclosed, "configFile"), "<absent>");

    CommandLineOptions quoteThenNoDash;
    EXPECT_EQ(quoteThenNoDash.parse("x \"gui=0\""), -1);
}

TEST(CommandLineOptions, ManyOptionsGrowInSteps) {
    std::string line = "x";
    for (int i = 0; i < 250; ++i)
        line += " -o" + std::to_string(i) + "=" + std::to_string(i * 3);
    CommandLineOptions options;
    ASSERT_EQ(options.parse(line.c_str()), 0);
    EXPECT_EQ(options.count(), 250);
    EXPECT_EQ(options.capacity(), 300);
    const char* first = nullptr;
    options.getString("o0", &first);
    EXPECT_STREQ(first, "0");
    EXPECT_EQ(valueOf(options, "o249"), "747");
}

TEST(CommandLineOptions, LongValuesAreKeptWhole) {
    std::string path(5000, 'p');
    CommandLineOptions options;
    ASSERT_EQ(options.parse(("x -bin=\"" + path + "\"").c_str()), 0);
    EXPECT_EQ(valueOf(options, "bin"), path);
}
