#include "startup/RelaunchCommand.h"

#include "package/CommandLineText.h"

namespace {
std::string quoted(const std::string& value) {
    return CommandLineText::quoted(value);
}
} // namespace

std::string RelaunchCommand::text() const {
    // The program's path is read by the system, which knows no escape; a path holds no quote.
    std::string command = "\"" + executableCopy + "\" -uninstallFile=" + quoted(logCopy);
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
