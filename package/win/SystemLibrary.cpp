#include "package/SystemLibrary.h"

#include "package/BoundedText.h"
#include "package/WinFile.h"

#include <windows.h>

void* SystemLibrary::address(const char* library, const char* name) {
    char folder[fileaccess::kPathSize];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    char path[fileaccess::kPathSize];
    if (length == 0 || length >= sizeof folder ||
        boundedFormat(path, sizeof path, "%s\\%s", folder, library) < 0)
        return nullptr;
    HMODULE module = LoadLibraryA(path);
    return module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
