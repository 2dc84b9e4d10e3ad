#include "startup/RelaunchCommand.h"

#include "startup/CommandLineOptions.h"

namespace {
std::string quoted(const std::string& value) {
    std::string text = "\"";
    for (char c : value) {
        if (c == '"')
            text += static_cast<char>(CommandLineOptions::kEscape);
        text += c;
    }
    return text + "\"";
}
} // namespace

std::string RelaunchCommand::text() const {
    std::string command = quoted(executableCopy) + " -uninstallFile=" + quoted(logCopy);
    if (uninstallApp != nullptr)
        command += " -uninstallApp=" + quoted(uninstallApp);
    if (gui == 0)
        command += " -gui=0";
    if (quiet != 0)
        command += " -quiet=1";
    if (logFile != nullptr)
        command += " -log=" + quoted(logFile);
    return command;
}
