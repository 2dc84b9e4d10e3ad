// The environment, INI and shortcut items of the description: to come; until then a
// description's items change nothing and record nothing.
#include "startup/Installer.h"

int Installer::applyEnvironmentItems(ActionLog&, InstallerUI*) {
    return 0;
}
int Installer::applyIniItems(ActionLog&, InstallerUI*) {
    return 0;
}
int Installer::applyShortcutItems(ActionLog&, InstallerUI*) {
    return 0;
}
