// Stands in for a registered uninstaller. It writes its raw command line to
// %TEMP%\kestrel-uninstall-probe.txt; when the command line holds "signal", it then does what a
// relaunched uninstaller does: signals the start event, works for a while, adds the line
// "ended" to the file and signals the end event.
#include "system/NamedEvent.h"

#include <string>
#include <windows.h>

namespace {
bool writeWhole(const std::string& text) {
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::string path = std::string(folder) + "kestrel-uninstall-probe.txt";
    std::string partial = path + ".partial";
    HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    // Renamed when complete, so that the waiting test never reads half of it.
    return MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
} // namespace

int main() {
    std::string commandLine = GetCommandLineA();
    if (!writeWhole(commandLine))
        return 3;
    if (commandLine.find("signal") == std::string::npos)
        return 0;
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    Sleep(1500);
    writeWhole(commandLine + "\nended");
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return 0;
}
