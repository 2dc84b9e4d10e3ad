// The installation run: to come.
#include "startup/Installer.h"

int Installer::runInstallation(InstallerUI*) { return -1; }
