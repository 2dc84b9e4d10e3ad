#include "startup/AdminCheck.h"

#include "package/BoundedText.h"
#include "package/WinFile.h"
#include "system/RegistryKey.h"

#include <cstdio>

bool AdminCheck::canWriteProgramFiles() {
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", KEY_READ))
        return false;
    char folder[fileaccess::kPathSize] = {};
    DWORD size = sizeof folder - 1; // keep room for a terminator the registry may not store
    if (RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(folder), &size) != ERROR_SUCCESS)
        return false;
    char probe[fileaccess::kPathSize + 32];
    if (boundedFormat(probe, sizeof probe, "%s\\test$$$1234ajgtr.tmp", folder) < 0)
        return false;
    std::FILE* file = std::fopen(probe, "wb");
    if (file == nullptr)
        return false;
    std::fclose(file);
    std::remove(probe);
    return true;
}
