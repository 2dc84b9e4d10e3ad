// What the system's list of installed programs learns about one installation, and the command
// texts built from it. The key below "Software\Microsoft\Windows\CurrentVersion\Uninstall" is
// named after the product; its "UninstallString" starts the installed engine with the options
// of an uninstall.
#pragma once

#include "package/CommandLineText.h"

#include <cstdint>
#include <string>

struct UninstallRegistration {
    std::string productName; // the key's name and "DisplayName"
    std::string versionText;
    std::string website;
    std::string publisher = "Varnex Group Ltd";
    std::string uninstallProgram; // the installed engine
    std::string actionLogPath;
    std::string installLocation;
    uint32_t estimatedSizeKiB = 0;

    // The quoted program, a space, its arguments: a command interpreter, and tools that split the
    // program from its arguments at the first space after the quotes, need that space. (The
    // engine's option parser also reads older registrations written without it.)
    std::string uninstallString() const { return quotedProgram() + " " + uninstallArguments(); }
    // The same, answered without a question and with an honest exit code.
    std::string quietUninstallString() const { return uninstallString() + " -gui=0 -quiet=1"; }
    std::string quotedProgram() const { return "\"" + uninstallProgram + "\""; }
    // The engine reads these back itself: a name or path holding a double quote or the escape
    // byte keeps it instead of pointing the uninstall at another registration or log.
    std::string uninstallArguments() const {
        return "-uninstall=" + CommandLineText::quoted(actionLogPath) +
               " -uninstallApp=" + CommandLineText::quoted(productName);
    }
};
