#include "system/RunningPrograms.h"

#include "system/WinHandle.h"

#include <psapi.h>
#include <string.h>
#include <vector>

namespace {
// Processes beyond these are not examined; the main module is the first of the list.
constexpr DWORD kMaxProcesses = 2048;
constexpr DWORD kMaxModules = 1024;
constexpr DWORD kNameSize = 512;
} // namespace

bool RunningPrograms::isRunning(const char* moduleName) {
    if (moduleName == nullptr)
        return false;
    std::vector<DWORD> processes(kMaxProcesses);
    DWORD bytes = 0;
    if (!EnumProcesses(processes.data(), kMaxProcesses * sizeof(DWORD), &bytes))
        return false;
    DWORD count = bytes / sizeof(DWORD);
    for (DWORD i = 0; i < count; ++i) {
        if (mainModuleIs(processes[i], moduleName))
            return true;
    }
    return false;
}

bool RunningPrograms::mainModuleIs(unsigned long processId, const char* moduleName) {
    WinHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.valid())
        return false;
    std::vector<HMODULE> modules(kMaxModules);
    DWORD bytes = 0;
    if (!EnumProcessModules(process.get(), modules.data(), kMaxModules * sizeof(HMODULE), &bytes) ||
        bytes < sizeof(HMODULE))
        return false;
    char name[kNameSize];
    if (GetModuleBaseNameA(process.get(), modules[0], name, kNameSize) == 0)
        return false;
    return _stricmp(name, moduleName) == 0;
}
