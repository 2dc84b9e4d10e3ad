// The command line with which the uninstall command starts its temporary copy.
#pragma once

#include <string>

struct RelaunchCommand {
    std::string executableCopy;
    std::string logCopy;
    const char* uninstallApp = nullptr; // null: the option is left out
    int gui = 1;
    int quiet = 0;
    const char* logFile = nullptr; // -log: null when not asked for

    // "<exe copy>" -uninstallFile="<log copy>" [-uninstallApp="<app>"] [-gui=0] [-quiet=1]
    // [-log="<file>"]. Quiet and the log file are passed on so that a silent uninstall asks
    // nothing and its record lands where it was asked for. Values are quoted as
    // CommandLineText does, so that none can end early or lose a character.
    std::string text() const;
};
