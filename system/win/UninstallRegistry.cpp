#include "system/UninstallRegistry.h"

#include "system/RegistryKey.h"
#include "system/UninstallRegistration.h"

// To come: writing, finding and running a registration.
int UninstallRegistry::write(const UninstallRegistration&) {
    return 1;
}

int UninstallRegistry::isInstalled(const char*) {
    return 0;
}

int UninstallRegistry::runUninstaller(const char*, bool) {
    return 1;
}

bool UninstallRegistry::remove(const char* productName) {
    // Without a name there is nothing of ours to delete; an empty name would make the system
    // delete the uninstall key itself.
    if (productName == nullptr || productName[0] == '\0')
        return true;
    RegistryKey key;
    if (!key.open(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WRITE))
        return false;
    return RegDeleteKeyA(key.get(), productName) == ERROR_SUCCESS;
}
