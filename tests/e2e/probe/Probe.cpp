// Stands in for the programs the engine starts: writes its command line to its path + ".txt".
// "-probe=engine" runs the engine (its copy lumouninst.dll writes kestrel-relaunched.txt in TEMP);
// "signal" is an earlier version's copy (start event, line + "\nended", end event); "#relaunch"
// starts a copy of itself ("-probe=copy") and ends, with "#handover" after the copy. The copy waits
// 3 s, holds the presence, signals, removes the -uninstallApp registration; "#die" dies instead.
#include "package/BoundedText.h"
#include "startup/CommandLineOptions.h"
#include "startup/EntryPoint.h"
#include "system/NamedEvent.h"
#include "system/UninstallRegistry.h"
#include "system/UninstallerPresence.h"
#include "system/WinHandle.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>

namespace {
// Renamed when complete: a waiting test never reads half of it.
int writeBesideItself(const std::string& text) {
    char path[MAX_PATH], output[MAX_PATH + 16], partial[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length != 0 && length < sizeof path && std::strstr(path, "\\lumouninst.dll") != nullptr) {
        char temp[MAX_PATH];
        DWORD tempLength = GetTempPathA(sizeof temp, temp);
        if (tempLength == 0 || tempLength >= sizeof temp ||
            boundedFormat(path, sizeof path, "%skestrel-relaunched", temp) < 0)
            return 3;
        length = static_cast<DWORD>(std::strlen(path));
    }
    if (length == 0 || length >= sizeof path ||
        boundedFormat(output, sizeof output, "%s.txt", path) < 0 ||
        boundedFormat(partial, sizeof partial, "%s.partial", path) < 0)
        return 3;
    std::FILE* file = std::fopen(partial, "wb");
    if (file == nullptr)
        return 4;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return MoveFileExA(partial, output, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}

// What follows the program name, quoted or not.
const char* argumentsOf(const char* commandLine) {
    const char* end =
        commandLine[0] == '"' ? std::strchr(commandLine + 1, '"') : std::strchr(commandLine, ' ');
    if (end == nullptr)
        return "";
    for (++end; *end == ' ';)
        ++end;
    return end;
}

int relaunch(const char* commandLine) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 3;
    std::string line = "\"" + std::string(path) + "\" -probe=copy " + argumentsOf(commandLine);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 6;
    WinHandle process(started.hProcess);
    WinHandle thread(started.hThread);
    if (std::strstr(commandLine, "#handover") != nullptr)
        WaitForSingleObject(process.get(), INFINITE);
    return 0;
}

int copy(const char* commandLine) {
    Sleep(3000);
    UninstallerPresence presence;
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    Sleep(1500);
    if (std::strstr(commandLine, "#die") != nullptr)
        TerminateProcess(GetCurrentProcess(), 9);
    CommandLineOptions options;
    options.parse(commandLine);
    const char* app = nullptr;
    if (options.getString("uninstallApp", &app))
        UninstallRegistry::remove(app);
    int result = writeBesideItself(std::string(commandLine) + "\nended");
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return result;
}
} // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    if (std::strstr(commandLine, "-probe=engine") != nullptr)
        return EntryPoint().run();
    if (std::strstr(commandLine, "-probe=copy") != nullptr)
        return copy(commandLine);
    if (std::strstr(commandLine, "#relaunch") != nullptr)
        return relaunch(commandLine);
    if (std::strstr(commandLine, "signal") == nullptr)
        return writeBesideItself(commandLine);
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    Sleep(1500);
    int result = writeBesideItself(std::string(commandLine) + "\nended");
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return result;
}
