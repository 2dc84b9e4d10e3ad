// A program that writes its raw command line to a file beside itself (its own path followed by
// ".txt") and ends: the tests of starting programs read what the started program received.
#include "package/BoundedText.h"

#include <cstdio>
#include <cstring>
#include <windows.h>

int main() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    char output[MAX_PATH + 16];
    char partial[MAX_PATH + 16];
    if (length == 0 || length >= sizeof path ||
        boundedFormat(output, sizeof output, "%s.txt", path) < 0 ||
        boundedFormat(partial, sizeof partial, "%s.partial", path) < 0)
        return 3;
    std::FILE* file = std::fopen(partial, "wb");
    if (file == nullptr)
        return 4;
    const char* commandLine = GetCommandLineA();
    std::fwrite(commandLine, 1, std::strlen(commandLine), file);
    std::fclose(file);
    // Renamed when complete, so that the waiting test never reads half of it.
    return MoveFileExA(partial, output, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
