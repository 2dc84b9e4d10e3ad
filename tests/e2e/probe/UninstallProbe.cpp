// Stands in for a registered uninstaller: writes its raw command line to
// %TEMP%\kestrel-uninstall-probe.txt; when the command line holds "signal", it then does what a
// relaunched uninstaller does: signals the start event, works a while, adds the line "ended"
// and signals the end event.
#include "system/NamedEvent.h"

#include <fstream>
#include <string>
#include <windows.h>

int main() {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return 3;
    std::string commandLine = GetCommandLineA();
    std::ofstream output(std::string(folder) + "kestrel-uninstall-probe.txt", std::ios::binary);
    output << commandLine << std::flush;
    if (commandLine.find("signal") == std::string::npos)
        return 0;
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    Sleep(1500);
    output << "\nended" << std::flush;
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return 0;
}
