#include "startup/RelaunchCommand.h"

#include "startup/CommandLineOptions.h"
#include "system/UninstallRegistration.h"

#include <gtest/gtest.h>

#include <sstream>

// What the copy is started with reads back as the options the uninstall command was given; a
// quote inside a name cannot end its value and smuggle in an option.
TEST(RelaunchCommand, ReadsBackAsTheOptionsPassedOn) {
    struct Row {
        const char* app;
        int gui, quiet;
        const char* logFile;
        const char* expected; // name=value pairs in order, '|'-separated
    } rows[] = {
        {"Example Product", 0, 0, nullptr,
         "uninstallFile=C:\\T\\a.log|uninstallApp=Example Product|gui=0"},
        {"App", 1, 1, "C:\\Logs\\u.txt",
         "uninstallFile=C:\\T\\a.log|uninstallApp=App|quiet=1|"
         "log=C:\\Logs\\u.txt"},
        {nullptr, 1, 0, nullptr, "uninstallFile=C:\\T\\a.log"},
        {"A\" -debug=\"1", 1, 0, nullptr, "uninstallFile=C:\\T\\a.log|uninstallApp=A\" -debug=\"1"},
        // The escape byte itself ("\xAC", a letter of code page 1252) stays in the name.
        {"A\xAC\"B\xAC", 1, 0, nullptr, "uninstallFile=C:\\T\\a.log|uninstallApp=A\xAC\"B\xAC"},
    };
    for (const Row& row : rows) {
        RelaunchCommand command;
        command.executableCopy = "C:\\T\\copy.exe";
        command.logCopy = "C:\\T\\a.log";
        command.uninstallApp = row.app;
        command.gui = row.gui;
        command.quiet = row.quiet;
        command.logFile = row.logFile;
        CommandLineOptions options;
        ASSERT_EQ(options.parse(command.text().c_str()), CommandLineOptions::Parse::kParsed)
            << command.text();
        std::istringstream pairs(row.expected);
        int count = 0;
        for (std::string pair; std::getline(pairs, pair, '|'); ++count) {
            const char* value = nullptr;
            std::string name = pair.substr(0, pair.find('='));
            ASSERT_TRUE(options.getString(name.c_str(), &value)) << name;
            EXPECT_EQ(value, pair.substr(name.size() + 1));
        }
        EXPECT_EQ(options.count(), count);
    }
}

// The registered command names the very log and registration it was written for, whatever
// they hold: otherwise the uninstall would look for another registration and leave this one
// for ever.
TEST(RelaunchCommand, TheRegisteredCommandReadsBackItsLogAndNameWhole) {
    UninstallRegistration registration;
    registration.uninstallProgram = "C:\\P\xAC\\u.exe";
    registration.actionLogPath = "C:\\P\xAC\\install.log";
    registration.productName = "Tool \xAC\xAC \"Pro\" -debug=1\xAC";
    CommandLineOptions options;
    ASSERT_EQ(options.parse(registration.quietUninstallString().c_str()),
              CommandLineOptions::Parse::kParsed);
    const char *log = nullptr, *app = nullptr;
    ASSERT_TRUE(options.getString("uninstall", &log) && options.getString("uninstallApp", &app));
    EXPECT_EQ(log, registration.actionLogPath);
    EXPECT_EQ(app, registration.productName);
    EXPECT_EQ(options.count(), 4); // uninstall, uninstallApp, gui, quiet
}
