// The engine's entry point with one addition for the tests: run as the relaunched copy
// (lumouninst.dll), it writes its raw command line to %TEMP%\kestrel-probe-commandline.txt and
// ends. The relaunch copies whatever executable runs it, so starting the relaunch from this probe
// shows the exact command line that the relaunched copy receives.
#include "package/BoundedText.h"
#include "startup/EntryPoint.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

int main() {
    char self[MAX_PATH];
    DWORD selfLength = GetModuleFileNameA(nullptr, self, sizeof self);
    const char* copyName = "lumouninst.dll";
    size_t copyLength = std::strlen(copyName);
    if (selfLength < copyLength || lstrcmpiA(self + selfLength - copyLength, copyName) != 0)
        return EntryPoint().run();
    const char* commandLine = GetCommandLineA();
    char folder[MAX_PATH];
    char path[MAX_PATH + 64];
    char partial[MAX_PATH + 64];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH ||
        boundedFormat(path, sizeof path, "%skestrel-probe-commandline.txt", folder) < 0 ||
        boundedFormat(partial, sizeof partial, "%s.partial", path) < 0)
        return 3;
    std::FILE* file = std::fopen(partial, "wb");
    if (file == nullptr)
        return 4;
    std::fwrite(commandLine, 1, std::strlen(commandLine), file);
    std::fclose(file);
    // Renamed when complete, so that the waiting test never reads half of it.
    return MoveFileExA(partial, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
