// Stands in for the programs the engine starts: writes its raw command line beside itself (its
// own path followed by ".txt") and ends. Two modes, named on its command line:
// - "-probe=engine": it is the engine itself. The uninstaller's relaunch copies whatever
//   executable runs it, so the copy (lumouninst.dll) shows the exact command line it receives.
// - "signal": it does what a relaunched uninstaller does: signals the start event, works a
//   while, writes its command line and "\nended", then signals the end event.
#include "package/BoundedText.h"
#include "startup/EntryPoint.h"
#include "system/NamedEvent.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <windows.h>

namespace {
// Renamed when complete, so that a waiting test never reads half of it.
int writeBesideItself(const std::string& text) {
    char path[MAX_PATH], output[MAX_PATH + 16], partial[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
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
} // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    if (std::strstr(commandLine, "-probe=engine") != nullptr)
        return EntryPoint().run();
    if (std::strstr(commandLine, "signal") == nullptr)
        return writeBesideItself(commandLine);
    NamedEvent::signal(NamedEvent::kUninstallerStart);
    Sleep(1500);
    int result = writeBesideItself(std::string(commandLine) + "\nended");
    NamedEvent::signal(NamedEvent::kUninstallerEnd);
    return result;
}
