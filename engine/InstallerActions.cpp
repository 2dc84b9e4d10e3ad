// The post-install and pre-uninstall programs and documents: to come; until then there are
// none to start.
#include "startup/Installer.h"

int Installer::runActions(InstallerUI*, const char*) {
    return 0;
}
