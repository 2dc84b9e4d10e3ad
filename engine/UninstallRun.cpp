// The uninstall and the rollback: to come. Until then nothing is undone and the run counts as
// failed.
#include "startup/Installer.h"

int Installer::runUninstall(InstallerUI*, const char*) {
    return -1;
}
