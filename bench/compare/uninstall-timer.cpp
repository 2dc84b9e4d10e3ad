// Times an uninstall from inside Wine, from the start of its process to its true end.
//   uninstall-timer registered NAME LIMIT RESULT  run the QuietUninstallString registered under
//       HKLM\...\Uninstall\NAME; that process relaunches a copy of itself from the temporary
//       folder and ends at once, so wait for the copy's LumoUninstallerEnd event
//   uninstall-timer run LIMIT RESULT COMMAND...   run COMMAND and wait for its process
// Writes "SECONDS EXITCODE" into RESULT (the exit code of the process started; for
// "registered" that of the relaunching process). LIMIT is in seconds.
// Exit code 0 when the uninstall ended within LIMIT (for "registered": and removed its
// registration, without which the next installation would run that uninstaller first), 1
// otherwise, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

double secondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

bool registeredCommand(const std::string& name, std::string& command) {
    char text[4096] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (kUninstallKey + name).c_str(), "QuietUninstallString",
                     RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        std::fprintf(stderr, "uninstall-timer: no QuietUninstallString registered for %s\n",
                     name.c_str());
        return false;
    }
    command = text;
    return true;
}

bool stillRegistered(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + name).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    std::fprintf(stderr, "uninstall-timer: %s is still registered\n", name.c_str());
    return true;
}

HANDLE start(std::string command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "uninstall-timer: cannot start %s (error %lu)\n", command.c_str(),
                     GetLastError());
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool report(const char* path, double seconds, DWORD exitCode) {
    FILE* file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "%.3f %lu\n", seconds, exitCode);
    return std::fclose(file) == 0;
}
} // namespace

int main(int argc, char** argv) {
    bool registered = argc == 5 && std::strcmp(argv[1], "registered") == 0;
    bool run = argc >= 5 && std::strcmp(argv[1], "run") == 0;
    if (!registered && !run) {
        std::fprintf(stderr, "usage: uninstall-timer registered NAME LIMIT RESULT\n"
                             "       uninstall-timer run LIMIT RESULT COMMAND...\n");
        return 2;
    }
    DWORD limit = static_cast<DWORD>(std::strtoul(registered ? argv[3] : argv[2], nullptr, 10));
    const char* result = registered ? argv[4] : argv[3];
    std::string command;
    if (registered && !registeredCommand(argv[2], command))
        return 1;
    for (int i = 4; run && i < argc; ++i)
        command += (i > 4 ? " " : "") + std::string(argv[i]);
    // Created before the start so that a quick uninstaller cannot signal them unseen.
    HANDLE end = CreateEventA(nullptr, FALSE, FALSE, "LumoUninstallerEnd");
    LARGE_INTEGER startedAt;
    QueryPerformanceCounter(&startedAt);
    HANDLE process = start(command);
    if (process == nullptr || end == nullptr)
        return 1;
    DWORD exitCode = 0xFFFFFFFFu;
    bool ended = WaitForSingleObject(process, limit * 1000u) == WAIT_OBJECT_0;
    GetExitCodeProcess(process, &exitCode);
    if (ended && registered) {
        double spent = secondsSince(startedAt);
        DWORD left = spent >= limit ? 0 : static_cast<DWORD>((limit - spent) * 1000.0);
        ended = WaitForSingleObject(end, left) == WAIT_OBJECT_0;
    }
    double seconds = secondsSince(startedAt);
    if (!ended)
        std::fprintf(stderr, "uninstall-timer: %s did not end within %lu s\n", command.c_str(),
                     limit);
    if (!report(result, seconds, exitCode))
        return 1;
    return ended && !(registered && stillRegistered(argv[2])) ? 0 : 1;
}
